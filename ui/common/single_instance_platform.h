#pragma once

#include <QString>
#include <QtGlobal>

namespace tessaly::detail {

// Where the activation server of that name is reached. On POSIX a socket in a
// folder that only this user can enter: the runtime folder, else a folder of
// its own in the temporary folder; another user who could put a socket there
// would be answering for this program. On Windows the pipe name. Empty where
// there is no such place: no server is started or asked then.
QString Activation_Address(const QString& name);

// Whether the process at the other end of the connected local socket runs as
// this user.
bool Peer_Is_This_User(qintptr socket_descriptor);

}  // namespace tessaly::detail
