#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>

#include "desktop/secret_store.h"

namespace tessaly {

// Keeps passwords in memory; without a store it fails as a desktop without
// a Secret Service does.
class Fake_Secret_Store final : public Secret_Store {
public:
    std::optional<std::string> Read_Password(const std::string& server,
                                             const std::string& user) override {
        Check_Available();
        const auto found = Passwords.find({server, user});
        if (found == Passwords.end()) {
            return std::nullopt;
        }
        return found->second;
    }
    void Store_Password(const std::string& server, const std::string& user,
                        const std::string& password) override {
        Check_Available();
        Passwords[{server, user}] = password;
    }
    void Forget_Password(const std::string& server, const std::string& user) override {
        Check_Available();
        Passwords.erase({server, user});
    }

    std::map<std::pair<std::string, std::string>, std::string> Passwords;
    bool Available = true;

private:
    void Check_Available() const {
        if (!Available) {
            throw Secret_Store_Error("No secret store is running.");
        }
    }
};

}  // namespace tessaly
