#include "core/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "core/errors.h"
#include "core/platform/posix/file_calls.h"
#include "core/platform/saving.h"

namespace tessaly {

namespace detail {

File_Calls System_File_Calls() {
    return File_Calls{
        [](char* name_template, int flags) { return ::mkostemp(name_template, flags); },
        [](int fd, mode_t mode) { return ::fchmod(fd, mode); },
        [](int fd, const void* bytes, size_t count) { return ::write(fd, bytes, count); },
        [](int fd) { return ::fsync(fd); },
        [](int fd) { return ::close(fd); },
        [](const char* existing, const char* new_name) { return ::link(existing, new_name); },
        [](const char* from, const char* to) { return ::rename(from, to); },
        [](const char* name) { return ::unlink(name); },
    };
}

File_Calls& Save_File_Calls() {
    static File_Calls calls = System_File_Calls();
    return calls;
}

}  // namespace detail

namespace {

namespace fs = std::filesystem;
using detail::Is_Temporary_Of;
using detail::Throw_File_Error;

// "." + the target's name + this: hidden, and unlike any name a user gives.
constexpr const char* Temporary_Suffix = ".saving-XXXXXX";
// The same bound the kernel puts on a chain of links.
constexpr int Most_Links_Followed = 40;

std::string System_Text(int error) {
    return std::system_category().message(error);
}

mode_t Current_Umask() {
    // There is no call that only reads the mask; set it and put it straight back.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// A new file's permissions: those of Mode_Of's file, owner-only where it is
// missing, else the usual ones.
mode_t New_File_Mode(const Atomic_Write_Options& options) {
    if (!options.Mode_Of) {
        return static_cast<mode_t>(0666 & ~Current_Umask());
    }
    struct stat model {};
    if (::stat(options.Mode_Of->c_str(), &model) == 0 && S_ISREG(model.st_mode)) {
        return model.st_mode & 0777;
    }
    return 0600;
}

// The file a chain of symbolic links finally names, whether it exists or not;
// the path itself when it is no link.
fs::path Final_Target(const fs::path& target) {
    fs::path current = target;
    for (int followed = 0; followed < Most_Links_Followed; ++followed) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error)) || error) {
            return current;
        }
        const fs::path next = fs::read_symlink(current, error);
        if (error) {
            return current;
        }
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return current;  // a loop: the rename will report it
}

fs::path Folder_Of(const fs::path& file) {
    const fs::path folder = file.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

std::string Temporary_Template(const fs::path& real_target) {
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "." + name.
    std::string name = ".";
    name += real_target.filename().string();
    name += Temporary_Suffix;
    return (Folder_Of(real_target) / name).string();
}

bool Write_All(const detail::File_Calls& calls, int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = calls.Write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (written == 0) {
            errno = ENOSPC;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// A temporary file beside the target, removed again unless Keep() is called.
class Temporary_File {
public:
    explicit Temporary_File(const fs::path& real_target)
        : calls_(detail::Save_File_Calls()), name_(Temporary_Template(real_target)) {}
    ~Temporary_File() {
        if (fd_ >= 0) {
            calls_.Close(fd_);
        }
        if (created_) {
            calls_.Unlink(name_.c_str());
        }
    }
    Temporary_File(const Temporary_File&) = delete;
    Temporary_File& operator=(const Temporary_File&) = delete;

    // Creates it with the bytes and the mode, flushed to disk and closed; the
    // owner and group of the file it replaces are kept where the system lets
    // this user keep them. Returns 0 or the failing call's error number.
    int Write(std::string_view bytes, mode_t mode, const struct stat* replaced = nullptr) {
        fd_ = calls_.Make_Temporary(name_.data(), O_CLOEXEC);
        if (fd_ < 0) {
            return errno;
        }
        created_ = true;
        if (replaced != nullptr) {
            Keep_Owner(*replaced);
        }
        // mkstemp creates the file as 0600. Not every file system keeps modes,
        // and the content matters more than they do, so a refusal is let pass.
        calls_.Change_Mode(fd_, mode);
        if (!Write_All(calls_, fd_, bytes) || calls_.Sync(fd_) != 0) {
            return errno;
        }
        const int fd = fd_;
        fd_ = -1;
        if (calls_.Close(fd) != 0) {
            return errno;
        }
        return 0;
    }

    // A free name for a hard link: created, then removed, so that link() can
    // take it. Returns 0 or the error number.
    int Reserve_Name() {
        const int fd = calls_.Make_Temporary(name_.data(), O_CLOEXEC);
        if (fd < 0) {
            return errno;
        }
        calls_.Close(fd);
        created_ = true;
        if (calls_.Unlink(name_.c_str()) != 0) {
            return errno;
        }
        created_ = false;
        return 0;
    }

    // Renames it to the target; afterwards nothing is left to remove.
    int Rename_To(const fs::path& target) {
        if (calls_.Rename(name_.c_str(), target.c_str()) != 0) {
            return errno;
        }
        created_ = false;
        return 0;
    }

    const std::string& Name() const { return name_; }
    void Mark_Created() { created_ = true; }

private:
    // Only root may give a file away; a member of the file's group may still
    // give it that group, which a shared list relies on.
    void Keep_Owner(const struct stat& replaced) const {
        struct stat created {};
        if (::fstat(fd_, &created) != 0 ||
            (created.st_uid == replaced.st_uid && created.st_gid == replaced.st_gid)) {
            return;
        }
        if (::fchown(fd_, replaced.st_uid, replaced.st_gid) != 0) {
            [[maybe_unused]] const int ignored =
                ::fchown(fd_, static_cast<uid_t>(-1), replaced.st_gid);
        }
    }

    const detail::File_Calls& calls_;
    std::string name_;
    int fd_ = -1;
    bool created_ = false;
};

bool Hard_Links_Unsupported(int error) {
    return error == EPERM || error == ENOTSUP || error == EOPNOTSUPP || error == EMLINK ||
           error == ENOSYS || error == EXDEV;
}

// Keeps the file that is about to be replaced as its backup. A hard link
// keeps it without copying (and with its permissions); where the file system
// has none, the bytes are copied. Returns 0 or the error number.
int Keep_Backup_Of(const fs::path& real_target, const struct stat& existing) {
    const fs::path backup = real_target.string() + ".bak";
    // A save stopped between its two renames leaves the backup a second name
    // of the file itself: it already is the previous version, and renaming a
    // link onto it would do nothing and leave the link behind.
    struct stat kept {};
    if (::stat(backup.c_str(), &kept) == 0 && kept.st_dev == existing.st_dev &&
        kept.st_ino == existing.st_ino) {
        return 0;
    }
    detail::File_Calls& calls = detail::Save_File_Calls();
    {
        Temporary_File link_name(real_target);
        if (const int error = link_name.Reserve_Name(); error != 0) {
            return error;
        }
        if (calls.Link(real_target.c_str(), link_name.Name().c_str()) == 0) {
            link_name.Mark_Created();
            return link_name.Rename_To(backup);
        }
        if (!Hard_Links_Unsupported(errno)) {
            return errno;
        }
    }
    std::string bytes;
    try {
        bytes = Read_Whole_File(real_target);
    } catch (const File_Error&) {
        return EIO;
    }
    Temporary_File copy(real_target);
    if (const int error = copy.Write(bytes, existing.st_mode & 07777); error != 0) {
        return error;
    }
    return copy.Rename_To(backup);
}

}  // namespace

fs::path Backup_Path(const fs::path& target) {
    return Final_Target(target).string() + ".bak";
}

void Write_File_Atomically(const fs::path& target, std::string_view bytes,
                           const Atomic_Write_Options& options) {
    const fs::path real_target = Final_Target(target);

    struct stat existing {};
    const bool exists = ::stat(real_target.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT) {
        Throw_File_Error("Cannot save", target, System_Text(errno));
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        Throw_File_Error("Cannot save", target,
                         S_ISDIR(existing.st_mode) ? System_Text(EISDIR) : "not a regular file");
    }
    // A file nobody may write is how a user keeps it from being changed, and
    // one this user may not write is not theirs to replace: renaming over
    // either would succeed regardless.
    if (exists && ((existing.st_mode & 0222) == 0 ||
                   ::faccessat(AT_FDCWD, real_target.c_str(), W_OK, AT_EACCESS) != 0)) {
        Throw_File_Error("Cannot save", target, System_Text(EACCES));
    }

    // Beside the target, so that the rename stays within one file system.
    Temporary_File temporary(real_target);
    const mode_t mode = exists ? (existing.st_mode & 07777) : New_File_Mode(options);
    if (const int error = temporary.Write(bytes, mode, exists ? &existing : nullptr); error != 0) {
        Throw_File_Error("Cannot save", target, System_Text(error));
    }
    if (exists && options.Keep_Backup) {
        if (const int error = Keep_Backup_Of(real_target, existing); error != 0) {
            Throw_File_Error("Cannot save", target,
                             "the previous version could not be kept as \"" +
                                 Backup_Path(target).string() + "\": " + System_Text(error));
        }
    }
    // The folder is not synced after the rename: a crash may then bring back
    // the previous version, but always a whole one, and saving stays quick.
    if (const int error = temporary.Rename_To(real_target); error != 0) {
        Throw_File_Error("Cannot save", target, System_Text(error));
    }
}

std::string Read_Whole_File(const fs::path& file) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        Throw_File_Error("Cannot read", file, System_Text(errno));
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        Throw_File_Error("Cannot read", file, System_Text(error));
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        Throw_File_Error("Cannot read", file,
                         S_ISDIR(info.st_mode) ? System_Text(EISDIR) : "not a regular file");
    }
    const auto too_large = [&file] {
        Throw_File_Error("Cannot read", file, detail::Too_Large_Reason());
    };
    if (static_cast<std::uintmax_t>(info.st_size) > Largest_Readable_File) {
        ::close(fd);
        too_large();
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);

    // Read straight into the text, one byte more than the file holds so
    // that a file grown since fstat is noticed without a second pass.
    std::string content;
    std::size_t filled = 0;
    content.resize(static_cast<std::size_t>(info.st_size) + 1);
    for (;;) {
        if (filled == content.size()) {
            content.resize(content.size() + 65536);
        }
        const ssize_t got = ::read(fd, content.data() + filled, content.size() - filled);
        if (got == 0) {
            break;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            ::close(fd);
            Throw_File_Error("Cannot read", file, System_Text(error));
        }
        filled += static_cast<std::size_t>(got);
        // The file may grow while it is read.
        if (filled > Largest_Readable_File) {
            ::close(fd);
            too_large();
        }
    }
    content.resize(filled);
    ::close(fd);
    return content;
}

int Remove_Stale_Temporaries(const fs::path& target) {
    const fs::path real_target = Final_Target(target);
    const std::string name = real_target.filename().string();
    DIR* folder = ::opendir(Folder_Of(real_target).c_str());
    if (folder == nullptr) {
        return 0;
    }
    int removed = 0;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string entry_name = entry->d_name;
        if (!Is_Temporary_Of(entry_name, name)) {
            continue;
        }
        const fs::path path = Folder_Of(real_target) / entry_name;
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::unlink(path.c_str()) == 0) {
            ++removed;
        }
    }
    ::closedir(folder);
    return removed;
}

}  // namespace tessaly
