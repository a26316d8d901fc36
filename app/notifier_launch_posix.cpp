#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/notifier_launch.h"
#include "app/report_tool.h"

extern char** environ;

namespace tessaly {

namespace {

// Closes the descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    void Close() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

private:
    int fd_;
};

// MSG_NOSIGNAL: a notifier that ends before it has read everything must not
// take this process down with SIGPIPE.
bool Send_All(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t sent = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

// The notifier's exit status is the tool's.
int Wait_For_Notifier(pid_t child, const std::string& program, std::ostream& err) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            err << Report_Tool_Name << ": \"" << program
                << "\" could not be waited for: " << std::strerror(errno) << "\n";
            return Report_Tool_Notification_Unavailable;
        }
    }
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    err << Report_Tool_Name << ": \"" << program << "\" was ended by signal " << WTERMSIG(status)
        << "\n";
    return Report_Tool_Notification_Unavailable;
}

// The body goes on the notifier's standard input: on its command line every
// user of the computer could read it, and a long one would not fit.
int Run_Notifier(const std::filesystem::path& tool_executable,
                 const Coming_Events_Notification& notification, std::ostream& err) {
    const std::filesystem::path folder = tool_executable.parent_path();
    const std::vector<std::filesystem::path> candidates = {
        folder / Notifier_Name,
        (folder / TESSALY_NOTIFIER_FOLDER_FROM_BINDIR / Notifier_Name).lexically_normal()};
    std::string urgency =
        notification.Urgency == Notification_Urgency::Critical ? "critical" : "normal";
    std::cout.flush();
    err.flush();

    int sockets[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) {
        err << Report_Tool_Name << ": " << Notifier_Name
            << " could not be started: " << std::strerror(errno) << "\n";
        return Report_Tool_Notification_Unavailable;
    }
    Descriptor to_notifier(sockets[0]);
    Descriptor notifier_input(sockets[1]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Standard input stays open in the notifier; both ends made here close
    // at the exec, so that it sees the end of the body.
    posix_spawn_file_actions_adddup2(&actions, notifier_input.Get(), STDIN_FILENO);

    for (const std::filesystem::path& candidate : candidates) {
        std::string program = candidate.string();
        char* const argv[] = {program.data(), urgency.data(), nullptr};
        pid_t child = 0;
        const int error = ::posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ);
        if (error == ENOENT || error == ENOTDIR) {
            continue;
        }
        posix_spawn_file_actions_destroy(&actions);
        if (error != 0) {
            err << Report_Tool_Name << ": \"" << program
                << "\" could not be started: " << std::strerror(error) << "\n";
            return Report_Tool_Notification_Unavailable;
        }
        notifier_input.Close();
        // A notifier that stopped reading says why itself; its status counts.
        Send_All(to_notifier.Get(), notification.Body());
        to_notifier.Close();
        return Wait_For_Notifier(child, program, err);
    }
    posix_spawn_file_actions_destroy(&actions);
    err << Report_Tool_Name << ": desktop notifications are not available: " << Notifier_Name
        << " is neither in \"" << folder.string() << "\" nor in \""
        << candidates.back().parent_path().string() << "\"\n";
    return Report_Tool_Notification_Unavailable;
}

}  // namespace

Notification_Poster System_Notification_Poster(const std::filesystem::path& tool_executable) {
    return [tool_executable](const Coming_Events_Notification& notification, std::ostream& err) {
        return Run_Notifier(tool_executable, notification, err);
    };
}

}  // namespace tessaly
