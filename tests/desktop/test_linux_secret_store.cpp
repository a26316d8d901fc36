// Runs on a session bus of its own (on_private_session_bus.sh), which starts
// no service: the store is there only once a test starts one.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "desktop/platform_services.h"
#include "test_support/scoped_environment.h"
#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

constexpr const char* Server = "https://cloud.example.org/remote.php/dav";

std::string Failure_Of(const std::function<void()>& action) {
    try {
        action();
    } catch (const Secret_Store_Error& error) {
        return error.what();
    }
    return "no failure";
}

void Expect_No_Store_Said(Secret_Store& store) {
    const std::string no_store = "No secret store is running on this desktop";
    EXPECT_NE(Failure_Of([&] { store.Read_Password(Server, "ann"); }).find(no_store),
              std::string::npos);
    EXPECT_NE(Failure_Of([&] { store.Store_Password(Server, "ann", "pw"); }).find(no_store),
              std::string::npos);
    EXPECT_NE(Failure_Of([&] { store.Forget_Password(Server, "ann"); }).find(no_store),
              std::string::npos);
}

bool Program_Available(const std::string& name) {
    return std::system(("command -v " + name + " > /dev/null 2>&1").c_str()) == 0;
}

TEST(Linux_Secret_Store, WithoutASessionBusSaysThereIsNoStore) {
    const test::Temp_Dir runtime;
    const test::Scoped_Environment bus("DBUS_SESSION_BUS_ADDRESS", std::nullopt);
    const test::Scoped_Environment folder("XDG_RUNTIME_DIR", runtime.Path().string());
    // No X display may be used to start a bus either.
    const test::Scoped_Environment display("DISPLAY", ":99");
    Expect_No_Store_Said(*Make_Secret_Store());
}

TEST(Linux_Secret_Store, OnABusWhereNothingKeepsSecretsSaysThereIsNoStore) {
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr) {
        GTEST_SKIP() << "runs on a private session bus (on_private_session_bus.sh)";
    }
    Expect_No_Store_Said(*Make_Secret_Store());
}

// A real keyring on the private bus, unlocked with a password given on its
// standard input, its files in a folder of the test's own.
class Keyring_Daemon {
public:
    explicit Keyring_Daemon(const test::Temp_Dir& home)
        : data_home_("XDG_DATA_HOME", (home.Path() / "data").string()),
          runtime_("XDG_RUNTIME_DIR", home.Path().string()) {
        int input[2];
        if (::pipe(input) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(input[0], STDIN_FILENO);
            ::close(input[0]);
            ::close(input[1]);
            ::execlp("gnome-keyring-daemon", "gnome-keyring-daemon", "--foreground", "--unlock",
                     "--components=secrets", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(input[0]);
        const char password[] = "keyring password\n";
        const ssize_t written = ::write(input[1], password, sizeof password - 1);
        static_cast<void>(written);
        ::close(input[1]);
    }
    ~Keyring_Daemon() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    Keyring_Daemon(const Keyring_Daemon&) = delete;
    Keyring_Daemon& operator=(const Keyring_Daemon&) = delete;

    bool Started() const { return pid_ > 0; }

private:
    test::Scoped_Environment data_home_;
    test::Scoped_Environment runtime_;
    pid_t pid_ = -1;
};

TEST(Linux_Secret_Store, KeepsReplacesAndForgetsAPasswordInARealKeyring) {
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr) {
        GTEST_SKIP() << "runs on a private session bus (on_private_session_bus.sh)";
    }
    if (!Program_Available("gnome-keyring-daemon")) {
        GTEST_SKIP() << "gnome-keyring is not installed";
    }
    const test::Temp_Dir home;
    const Keyring_Daemon daemon(home);
    ASSERT_TRUE(daemon.Started());
    const auto store = Make_Secret_Store();
    // The daemon takes its name on the bus a moment after it starts.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::optional<std::string> found;
    for (;;) {
        try {
            found = store->Read_Password(Server, "ann");
            break;
        } catch (const Secret_Store_Error& error) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << error.what();
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    EXPECT_EQ(found, std::nullopt);

    const std::string password = "p\xC3\xA4ss w\xC3\xB6rd;%\"'";
    store->Store_Password(Server, "ann", password);
    store->Store_Password(Server, "bob", "bobs");
    EXPECT_EQ(store->Read_Password(Server, "ann"), password);
    // Another server's account of the same name is another item.
    EXPECT_EQ(store->Read_Password("http://localhost:5232/", "ann"), std::nullopt);

    store->Store_Password(Server, "ann", "new");
    EXPECT_EQ(store->Read_Password(Server, "ann"), "new");

    store->Forget_Password(Server, "ann");
    EXPECT_EQ(store->Read_Password(Server, "ann"), std::nullopt);
    EXPECT_EQ(store->Read_Password(Server, "bob"), "bobs");
    EXPECT_NO_THROW(store->Forget_Password(Server, "ann"));
}

}  // namespace
}  // namespace tessaly
