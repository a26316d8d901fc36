#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cerrno>

#include "ui/common/single_instance_platform.h"

namespace tessaly::detail {

namespace {

// A real folder (no link to one), owned by this user, that nobody else may
// enter or change.
bool Is_Private_Folder(const QByteArray& folder) {
    struct stat status {};
    return ::lstat(folder.constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::geteuid() && (status.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

QByteArray Private_Folder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && Is_Private_Folder(runtime)) {
        return runtime;
    }
    // A folder of that name that someone else made first is never used.
    const QByteArray own =
        QFile::encodeName(QDir::tempPath()) + "/tessaly-" + QByteArray::number(::geteuid());
    if (::mkdir(own.constData(), 0700) != 0 && errno != EEXIST) {
        return {};
    }
    return Is_Private_Folder(own) ? own : QByteArray();
}

}  // namespace

QString Activation_Address(const QString& name) {
    const QByteArray folder = Private_Folder();
    if (folder.isEmpty()) {
        return {};
    }
    return QFile::decodeName(folder) + QLatin1Char('/') + name;
}

bool Peer_Is_This_User(qintptr socket_descriptor) {
    const int fd = static_cast<int>(socket_descriptor);
#if defined(SO_PEERCRED)
    ucred credentials{};
    socklen_t size = sizeof credentials;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
           size == sizeof credentials && credentials.uid == ::geteuid();
#else
    uid_t uid = 0;
    gid_t gid = 0;
    return ::getpeereid(fd, &uid, &gid) == 0 && uid == ::geteuid();
#endif
}

}  // namespace tessaly::detail
