#pragma once

#include <optional>
#include <string>

#include "core/errors.h"

namespace tessaly {

// The desktop's secret store could not be used: there is none (no Secret
// Service on the session), or it refused (locked, dismissed). The message
// says which, in words for the user.
class Secret_Store_Error : public Tessaly_Error {
public:
    using Tessaly_Error::Tessaly_Error;
};

// The desktop's store of passwords (the Secret Service on a freedesktop
// desktop, the Credential Manager on Windows). The calendar account's
// password lives there, never in a file of ours. An item is found by the
// server's address and the user's name.
class Secret_Store {
public:
    virtual ~Secret_Store() = default;

    // The password kept for that user at that server, or none. Throws
    // Secret_Store_Error where no store can be reached.
    virtual std::optional<std::string> Read_Password(const std::string& server,
                                                     const std::string& user) = 0;
    // Keeps the password, replacing one kept before. Throws
    // Secret_Store_Error where no store can be reached or it refuses.
    virtual void Store_Password(const std::string& server, const std::string& user,
                                const std::string& password) = 0;
    // Forgets the password; nothing kept is no failure.
    virtual void Forget_Password(const std::string& server, const std::string& user) = 0;
};

}  // namespace tessaly
