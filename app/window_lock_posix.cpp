#include "app/window_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <string>
#include <system_error>
#include <vector>

namespace tessaly {

namespace {

namespace fs = std::filesystem;

// The lock file's lines: the holder's process id, its program's name and
// its computer's name.
std::vector<std::string> Read_Lines(int fd) {
    std::string text;
    std::array<char, 512> buffer{};
    ssize_t read = 0;
    while (text.size() < 4096 && (read = ::read(fd, buffer.data(), buffer.size())) > 0) {
        text.append(buffer.data(), static_cast<std::size_t>(read));
    }
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return lines;
}

std::string Host_Name() {
    std::array<char, 256> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0) {
        return {};
    }
    return name.data();
}

// Whether that process still runs that program: a process id may have been
// given to another program since the window ended.
bool Holder_Alive(const std::string& pid_text, const std::string& program) {
    if (pid_text.empty() || pid_text.size() > 9 ||
        pid_text.find_first_not_of("0123456789") != std::string::npos) {
        return true;  // not a lock of ours: keep off
    }
    const pid_t pid = static_cast<pid_t>(std::stol(pid_text));
    if (pid <= 0 || (::kill(pid, 0) != 0 && errno == ESRCH)) {
        return false;
    }
    std::error_code error;
    const fs::path executable =
        fs::read_symlink(fs::path("/proc") / std::to_string(pid) / "exe", error);
    return error || program.empty() || executable.filename() == program;
}

}  // namespace

bool Window_Holds_Data_File(const fs::path& data_file) {
    const fs::path lock = Window_Lock_Path(data_file);
    const int fd = ::open(lock.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return errno != ENOENT;
    }
    bool held = true;
    // A window on this computer holds the file locked as long as it runs.
    if (::flock(fd, LOCK_SH | LOCK_NB) == 0) {
        const std::vector<std::string> lines = Read_Lines(fd);
        ::flock(fd, LOCK_UN);
        if (lines.size() >= 3 && lines[2] == Host_Name()) {
            held = Holder_Alive(lines[0], lines[1]);
        }
        // A window on another computer: its lock cannot be tested from here.
    }
    ::close(fd);
    return held;
}

}  // namespace tessaly
