#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "sync/password_command.h"

namespace tessaly {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

[[noreturn]] void Throw_System_Error(const char* what) {
    throw Password_Command_Error(std::string("The password command could not be run (") + what +
                                 ": " + std::strerror(errno) + ").");
}

class File_Descriptor {
public:
    explicit File_Descriptor(int fd = -1) : fd_(fd) {}
    ~File_Descriptor() { Close(); }
    File_Descriptor(const File_Descriptor&) = delete;
    File_Descriptor& operator=(const File_Descriptor&) = delete;
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

// Above the standard streams, so that putting one in place of another in the
// child never closes a descriptor still to be used: a program started with
// its standard output closed gets descriptor 1 from pipe().
int Above_Standard_Streams(int fd) {
    if (fd < 0 || fd > STDERR_FILENO) {
        return fd;
    }
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    ::close(fd);
    return moved;
}

int Milliseconds_Until(Clock::time_point when) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(when - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(left);
}

// The command's shell, in a session of its own: its process group is then
// the command with everything it starts, to be ended at once, and it has no
// terminal to stop on or to read a password from, its input being empty.
pid_t Start_Shell(const std::string& command, int input_fd, int output_fd) {
    // Made before fork: the child of a program with threads may only make
    // async-signal-safe calls.
    char shell[] = "/bin/sh";
    char dash_c[] = "-c";
    std::string command_copy = command;
    char* const argv[] = {shell, dash_c, command_copy.data(), nullptr};
    sigset_t all_signals;
    sigemptyset(&all_signals);

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setsid();
        // A pipeline in the command ends on a closed pipe as anywhere else,
        // even where this program ignores SIGPIPE.
        ::signal(SIGPIPE, SIG_DFL);
        ::sigprocmask(SIG_SETMASK, &all_signals, nullptr);
        if (::dup2(input_fd, STDIN_FILENO) < 0 || ::dup2(output_fd, STDOUT_FILENO) < 0) {
            ::_exit(127);
        }
        ::execv(shell, argv);
        ::_exit(127);
    }
    return pid;
}

// Asks the whole group to end, kills what is left of it after a short
// grace, and reaps the shell; returns the shell's wait status.
int End_Group(pid_t pid) {
    // While the shell is not reaped, its process id cannot be given to
    // another program, so the group's number names only the command's.
    ::kill(-pid, SIGTERM);
    ::kill(-pid, SIGCONT);  // a stopped process ends only once continued
    int status = 0;
    bool shell_reaped = false;
    const Clock::time_point give_up = Clock::now() + detail::Password_Command_End_Grace;
    for (;;) {
        if (!shell_reaped) {
            const pid_t reaped = ::waitpid(pid, &status, WNOHANG);
            shell_reaped = reaped == pid || (reaped < 0 && errno == ECHILD);
        }
        // Once the group is empty it is done. A process reparented to an
        // init that does not reap counts as alive: it gets the SIGKILL.
        if (shell_reaped && ::kill(-pid, 0) != 0 && errno == ESRCH) {
            return status;
        }
        if (Clock::now() >= give_up) {
            break;
        }
        std::this_thread::sleep_for(10ms);
    }
    ::kill(-pid, SIGKILL);
    while (!shell_reaped) {
        const pid_t reaped = ::waitpid(pid, &status, 0);
        shell_reaped = reaped == pid || (reaped < 0 && errno != EINTR);
    }
    return status;
}

// Whether the shell has exited, leaving it unreaped (see End_Group). A
// shell reaped elsewhere (SIGCHLD ignored) has exited too.
bool Has_Exited(pid_t pid) {
    siginfo_t info{};
    if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
        return errno == ECHILD;
    }
    return info.si_pid == pid;
}

// The command's processes, ended on every way out.
class Running_Command {
public:
    explicit Running_Command(pid_t pid) : pid_(pid) {}
    ~Running_Command() {
        if (!ended_) {
            End_Group(pid_);
        }
    }
    Running_Command(const Running_Command&) = delete;
    Running_Command& operator=(const Running_Command&) = delete;

    // The shell's wait status.
    int End() {
        ended_ = true;
        return End_Group(pid_);
    }

private:
    pid_t pid_;
    bool ended_ = false;
};

}  // namespace

std::string Run_Password_Command(const std::string& command, std::chrono::milliseconds time_limit) {
    const Clock::time_point deadline = Clock::now() + time_limit;

    File_Descriptor input(Above_Standard_Streams(::open("/dev/null", O_RDONLY | O_CLOEXEC)));
    if (input.Get() < 0) {
        Throw_System_Error("/dev/null");
    }
    std::array<int, 2> pipe_ends{-1, -1};
    if (::pipe2(pipe_ends.data(), O_CLOEXEC) != 0) {
        Throw_System_Error("pipe");
    }
    File_Descriptor read_end(Above_Standard_Streams(pipe_ends[0]));
    File_Descriptor write_end(Above_Standard_Streams(pipe_ends[1]));
    if (read_end.Get() < 0 || write_end.Get() < 0) {
        Throw_System_Error("pipe");
    }

    const pid_t pid = Start_Shell(command, input.Get(), write_end.Get());
    if (pid < 0) {
        Throw_System_Error("fork");
    }
    Running_Command running(pid);
    // Only the command may hold the pipe's writing end: the end of its
    // output is seen once it closes it.
    write_end.Close();
    input.Close();

    std::string output;
    std::array<char, 4096> buffer{};
    bool exited = false;
    Clock::time_point output_until{};
    while (read_end.Get() >= 0 || !exited) {
        if (!exited && Has_Exited(pid)) {
            exited = true;
            output_until = Clock::now() + detail::Password_Command_Output_Grace;
        }
        const Clock::time_point now = Clock::now();
        if (exited && (read_end.Get() < 0 || now >= output_until)) {
            break;  // what a process left behind still writes is not waited for
        }
        if (!exited && now >= deadline) {
            running.End();
            detail::Throw_Password_Command_Timed_Out(time_limit);
        }
        if (read_end.Get() < 0) {
            // The output has ended; the shell is about to exit.
            std::this_thread::sleep_until(std::min(deadline, now + 5ms));
            continue;
        }
        // The shell's exit is looked for every tenth of a second while a
        // process it left behind may hold the pipe open.
        const Clock::time_point wake = exited ? output_until : std::min(deadline, now + 100ms);
        pollfd ready{read_end.Get(), POLLIN, 0};
        const int polled = ::poll(&ready, 1, Milliseconds_Until(wake));
        if (polled < 0 && errno != EINTR) {
            Throw_System_Error("poll");
        }
        if (polled <= 0) {
            continue;
        }
        const ssize_t read = ::read(read_end.Get(), buffer.data(), buffer.size());
        if (read > 0) {
            output.append(buffer.data(), static_cast<std::size_t>(read));
            if (output.size() > detail::Password_Command_Output_Limit) {
                detail::Throw_Password_Command_Too_Long_Output();
            }
        } else if (read == 0) {
            read_end.Close();
        } else if (errno != EINTR && errno != EAGAIN) {
            Throw_System_Error("read");
        }
    }
    read_end.Close();

    const int status = running.End();
    if (WIFSIGNALED(status)) {
        throw Password_Command_Error("The password command was ended by signal " +
                                     std::to_string(WTERMSIG(status)) + ".");
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
        const int code = WEXITSTATUS(status);
        detail::Throw_Password_Command_Failed(static_cast<unsigned long>(code),
                                              code == 127   ? "no such command"
                                              : code == 126 ? "the command cannot be run"
                                                            : "");
    }
    return detail::Password_From_Output(output);
}

}  // namespace tessaly
