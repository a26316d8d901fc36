#include <libsecret/secret.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "desktop/platform_services.h"

namespace tessaly {

namespace {

constexpr const char* No_Store_Message =
    "No secret store is running on this desktop, so the password cannot be kept. Start one "
    "(GNOME Keyring or KeePassXC's Secret Service), or give a command that prints the password.";

// A store waiting for the user to unlock it answers late; one that never
// answers must not hang a timer's run.
constexpr std::chrono::seconds Answer_Limit{90};

const SecretSchema* Account_Schema() {
    static const SecretSchema schema = [] {
        SecretSchema made{};
        made.name = "org.example.Tessaly.CalDAV";
        made.flags = SECRET_SCHEMA_NONE;
        made.attributes[0].name = "server";
        made.attributes[0].type = SECRET_SCHEMA_ATTRIBUTE_STRING;
        made.attributes[1].name = "user";
        made.attributes[1].type = SECRET_SCHEMA_ATTRIBUTE_STRING;
        return made;
    }();
    return &schema;
}

// Without a session bus GLib would try to start one for an X display, or
// wait for nothing; neither helps a user who has no store.
bool Session_Bus_Known() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address != nullptr && *address != '\0') {
        return true;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || *runtime != '/') {
        return false;
    }
    std::error_code ignored;
    return std::filesystem::is_socket(std::filesystem::path(runtime) / "bus", ignored);
}

bool Means_No_Store(const GError& error) {
    if (error.domain == G_DBUS_ERROR) {
        switch (error.code) {
            case G_DBUS_ERROR_SERVICE_UNKNOWN:
            case G_DBUS_ERROR_NAME_HAS_NO_OWNER:
            case G_DBUS_ERROR_SPAWN_EXEC_FAILED:
            case G_DBUS_ERROR_SPAWN_FORK_FAILED:
            case G_DBUS_ERROR_SPAWN_CHILD_EXITED:
            case G_DBUS_ERROR_SPAWN_CHILD_SIGNALED:
            case G_DBUS_ERROR_SPAWN_FAILED:
            case G_DBUS_ERROR_SPAWN_SERVICE_NOT_FOUND:
            case G_DBUS_ERROR_SPAWN_SERVICE_INVALID:
            case G_DBUS_ERROR_SPAWN_NO_MEMORY:
            case G_DBUS_ERROR_FILE_NOT_FOUND:
            case G_DBUS_ERROR_NO_SERVER:
                return true;
            default:
                return false;
        }
    }
    // The bus itself could not be reached.
    return error.domain == G_IO_ERROR &&
           (error.code == G_IO_ERROR_NOT_FOUND || error.code == G_IO_ERROR_CONNECTION_REFUSED);
}

struct Error_Deleter {
    void operator()(GError* error) const { g_error_free(error); }
};
using Error_Pointer = std::unique_ptr<GError, Error_Deleter>;

// Cancels the call it guards once the limit has passed.
class Watchdog {
public:
    Watchdog() : cancellable_(g_cancellable_new()) {
        thread_ = std::thread([this] {
            std::unique_lock lock(mutex_);
            if (!done_condition_.wait_for(lock, Answer_Limit, [this] { return done_; })) {
                g_cancellable_cancel(cancellable_);
            }
        });
    }
    ~Watchdog() {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        done_condition_.notify_one();
        thread_.join();
        g_object_unref(cancellable_);
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    GCancellable* Cancellable() const { return cancellable_; }

private:
    GCancellable* cancellable_;
    std::mutex mutex_;
    std::condition_variable done_condition_;
    bool done_ = false;
    std::thread thread_;
};

[[noreturn]] void Throw_For(const GError* error, const char* refusal) {
    if (error == nullptr) {
        throw Secret_Store_Error(refusal);
    }
    if (Means_No_Store(*error)) {
        throw Secret_Store_Error(No_Store_Message);
    }
    if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
        throw Secret_Store_Error(
            "The secret store did not answer in time. It may be waiting to be unlocked.");
    }
    throw Secret_Store_Error(std::string(refusal) + " " + error->message);
}

class Linux_Secret_Store final : public Secret_Store {
public:
    std::optional<std::string> Read_Password(const std::string& server,
                                             const std::string& user) override {
        Check_Bus();
        const Watchdog watchdog;
        GError* raw_error = nullptr;
        gchar* found = secret_password_lookup_sync(Account_Schema(), watchdog.Cancellable(),
                                                   &raw_error, "server", server.c_str(), "user",
                                                   user.c_str(), static_cast<char*>(nullptr));
        const Error_Pointer error(raw_error);
        if (error) {
            Throw_For(error.get(), "The secret store could not be read.");
        }
        if (found == nullptr) {
            return std::nullopt;
        }
        std::string password(found);
        secret_password_free(found);
        return password;
    }

    void Store_Password(const std::string& server, const std::string& user,
                        const std::string& password) override {
        Check_Bus();
        const std::string label = "Tessaly calendar account " + user + "@" + server;
        const Watchdog watchdog;
        GError* raw_error = nullptr;
        const gboolean stored = secret_password_store_sync(
            Account_Schema(), SECRET_COLLECTION_DEFAULT, label.c_str(), password.c_str(),
            watchdog.Cancellable(), &raw_error, "server", server.c_str(), "user", user.c_str(),
            static_cast<char*>(nullptr));
        const Error_Pointer error(raw_error);
        if (!stored || error) {
            Throw_For(error.get(), "The secret store did not keep the password.");
        }
    }

    void Forget_Password(const std::string& server, const std::string& user) override {
        Check_Bus();
        const Watchdog watchdog;
        GError* raw_error = nullptr;
        // False without an error: there was nothing to forget.
        secret_password_clear_sync(Account_Schema(), watchdog.Cancellable(), &raw_error, "server",
                                   server.c_str(), "user", user.c_str(),
                                   static_cast<char*>(nullptr));
        const Error_Pointer error(raw_error);
        if (error) {
            Throw_For(error.get(), "The secret store did not forget the password.");
        }
    }

private:
    static void Check_Bus() {
        if (!Session_Bus_Known()) {
            throw Secret_Store_Error(No_Store_Message);
        }
    }
};

}  // namespace

std::unique_ptr<Secret_Store> Make_Secret_Store() {
    return std::make_unique<Linux_Secret_Store>();
}

}  // namespace tessaly
