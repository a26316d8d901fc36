#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "core/errors.h"

namespace tessaly {

namespace {

[[noreturn]] void Throw_File_Error(const char* what, const std::filesystem::path& file, int error) {
    throw File_Error(std::string(what) + " \"" + file.string() +
                     "\": " + std::system_category().message(error));
}

mode_t Current_Umask() {
    // There is no call that only reads the mask; set it and put it straight back.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// The mode a new file would get from open(..., 0666).
mode_t Mode_For(const std::filesystem::path& target) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        return existing.st_mode & 07777;
    }
    return static_cast<mode_t>(0666 & ~Current_Umask());
}

bool Write_All(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

void Write_File_Atomically(const std::filesystem::path& target, std::string_view bytes) {
    // A symbolic link stays a link: the file it points to is replaced.
    std::filesystem::path real_target = target;
    std::error_code ignored;
    if (std::filesystem::is_symlink(target, ignored)) {
        const auto resolved = std::filesystem::weakly_canonical(target, ignored);
        if (!ignored) {
            real_target = resolved;
        }
    }
    std::filesystem::path directory = real_target.parent_path();
    if (directory.empty()) {
        directory = ".";
    }

    // Beside the target, so that the rename stays within one file system.
    std::string temporary =
        (directory / ("." + real_target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        Throw_File_Error("Cannot save", target, errno);
    }

    auto fail = [&](int error, bool still_open) {
        if (still_open) {
            ::close(fd);
        }
        ::unlink(temporary.c_str());
        Throw_File_Error("Cannot save", target, error);
    };

    // mkstemp creates the file as 0600. Not every file system keeps modes,
    // and the content matters more than they do, so a refusal is let pass.
    ::fchmod(fd, Mode_For(real_target));

    if (!Write_All(fd, bytes)) {
        fail(errno, true);
    }
    if (::fsync(fd) != 0) {
        fail(errno, true);
    }
    if (::close(fd) != 0) {
        fail(errno, false);
    }
    // The folder is not synced after the rename: a crash may then bring back
    // the previous version, but always a whole one, and saving stays quick.
    if (::rename(temporary.c_str(), real_target.c_str()) != 0) {
        fail(errno, false);
    }
}

std::string Read_Whole_File(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        Throw_File_Error("Cannot read", file, errno);
    }
    std::string content;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_size > 0) {
        content.reserve(static_cast<std::size_t>(info.st_size));
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) {
            break;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            ::close(fd);
            Throw_File_Error("Cannot read", file, error);
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return content;
}

}  // namespace tessaly
