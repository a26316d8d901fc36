#include <windows.h>

#include <random>
#include <string>
#include <system_error>

#include "core/atomic_file.h"
#include "core/errors.h"
#include "core/platform/saving.h"

namespace tessaly {

namespace {

namespace fs = std::filesystem;

using detail::Is_Temporary_Of;
using detail::Temporary_Marker;
using detail::Temporary_Random_Length;
using detail::Throw_File_Error;

std::string System_Text(DWORD error) {
    std::string text = std::system_category().message(static_cast<int>(error));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.')) {
        text.pop_back();
    }
    return text;
}

fs::path Folder_Of(const fs::path& file) {
    const fs::path folder = file.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

std::string Random_Letters() {
    static constexpr char Letters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::mt19937 generator(std::random_device{}() ^ ::GetCurrentProcessId() ^
                                  ::GetTickCount());
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof Letters) - 2);
    std::string letters;
    for (std::size_t i = 0; i < Temporary_Random_Length; ++i) {
        letters += Letters[pick(generator)];
    }
    return letters;
}

// A temporary file beside the target, removed again unless it was renamed.
class Temporary_File {
public:
    explicit Temporary_File(const fs::path& target) : target_(target) {}
    ~Temporary_File() {
        if (!name_.empty()) {
            ::DeleteFileA(name_.c_str());
        }
    }
    Temporary_File(const Temporary_File&) = delete;
    Temporary_File& operator=(const Temporary_File&) = delete;

    // Creates it with the bytes, flushed to disk and closed; 0 or the error.
    DWORD Write(std::string_view bytes) {
        HANDLE file = INVALID_HANDLE_VALUE;
        for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
            const std::string name = Fresh_Name();
            file = ::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file != INVALID_HANDLE_VALUE) {
                name_ = name;
            } else if (::GetLastError() != ERROR_FILE_EXISTS) {
                return ::GetLastError();
            }
        }
        if (file == INVALID_HANDLE_VALUE) {
            return ERROR_FILE_EXISTS;
        }
        DWORD error = 0;
        while (!bytes.empty() && error == 0) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
            DWORD written = 0;
            if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
                error = ::GetLastError();
            } else if (written == 0) {
                error = ERROR_DISK_FULL;
            }
            bytes.remove_prefix(written);
        }
        if (error == 0 && !::FlushFileBuffers(file)) {
            error = ::GetLastError();
        }
        if (!::CloseHandle(file) && error == 0) {
            error = ::GetLastError();
        }
        return error;
    }

    DWORD Rename_To(const fs::path& destination) {
        if (!::MoveFileExA(name_.c_str(), destination.string().c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return ::GetLastError();
        }
        name_.clear();
        return 0;
    }

    // Takes over a file made under this name by someone else.
    void Adopt(const std::string& name) { name_ = name; }
    std::string Fresh_Name() const {
        return (Folder_Of(target_) /
                ("." + target_.filename().string() + Temporary_Marker + Random_Letters()))
            .string();
    }

private:
    fs::path target_;
    std::string name_;
};

// The previous file, kept as "<name>.bak": a hard link where the volume has
// them (same bytes, no copy), else a copy. 0 or the error.
DWORD Keep_Backup_Of(const fs::path& target) {
    const fs::path backup = target.string() + ".bak";
    Temporary_File kept(target);
    const std::string name = kept.Fresh_Name();
    if (!::CreateHardLinkA(name.c_str(), target.string().c_str(), nullptr) &&
        !::CopyFileA(target.string().c_str(), name.c_str(), TRUE)) {
        return ::GetLastError();
    }
    kept.Adopt(name);
    return kept.Rename_To(backup);
}

}  // namespace

fs::path Backup_Path(const fs::path& target) {
    return target.string() + ".bak";
}

void Write_File_Atomically(const fs::path& target, std::string_view bytes,
                           const Atomic_Write_Options& options) {
    const DWORD attributes = ::GetFileAttributesA(target.string().c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_PATH_NOT_FOUND) {
            Throw_File_Error("Cannot save", target, System_Text(error));
        }
    }
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        Throw_File_Error("Cannot save", target, "not a regular file");
    }
    // A read-only file is how a user keeps it from being changed.
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        Throw_File_Error("Cannot save", target, System_Text(ERROR_ACCESS_DENIED));
    }

    Temporary_File temporary(target);
    if (const DWORD error = temporary.Write(bytes); error != 0) {
        Throw_File_Error("Cannot save", target, System_Text(error));
    }
    if (exists && options.Keep_Backup) {
        if (const DWORD error = Keep_Backup_Of(target); error != 0) {
            Throw_File_Error("Cannot save", target,
                             "the previous version could not be kept as \"" +
                                 Backup_Path(target).string() + "\": " + System_Text(error));
        }
    }
    // MoveFileEx replaces an existing file in one step, which rename() does
    // not do on Windows.
    if (const DWORD error = temporary.Rename_To(target); error != 0) {
        Throw_File_Error("Cannot save", target, System_Text(error));
    }
}

std::string Read_Whole_File(const fs::path& file) {
    const HANDLE handle =
        ::CreateFileA(file.string().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        const DWORD attributes = ::GetFileAttributesA(file.string().c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            Throw_File_Error("Cannot read", file, "not a regular file");
        }
        Throw_File_Error("Cannot read", file, System_Text(error));
    }
    const auto fail = [&](const std::string& reason) {
        ::CloseHandle(handle);
        Throw_File_Error("Cannot read", file, reason);
    };
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        fail("not a regular file");
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handle, &size)) {
        fail(System_Text(::GetLastError()));
    }
    const std::string too_large = detail::Too_Large_Reason();
    if (static_cast<std::uintmax_t>(size.QuadPart) > Largest_Readable_File) {
        fail(too_large);
    }
    std::string content;
    content.reserve(static_cast<std::size_t>(size.QuadPart));
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(handle, buffer, sizeof buffer, &got, nullptr)) {
            fail(System_Text(::GetLastError()));
        }
        if (got == 0) {
            break;
        }
        content.append(buffer, got);
        if (content.size() > Largest_Readable_File) {
            fail(too_large);
        }
    }
    ::CloseHandle(handle);
    return content;
}

int Remove_Stale_Temporaries(const fs::path& target) {
    const std::string name = target.filename().string();
    std::error_code error;
    int removed = 0;
    for (const auto& entry : fs::directory_iterator(Folder_Of(target), error)) {
        const std::string entry_name = entry.path().filename().string();
        if (Is_Temporary_Of(entry_name, name) && entry.is_regular_file(error) &&
            ::DeleteFileA(entry.path().string().c_str())) {
            ++removed;
        }
    }
    return removed;
}

}  // namespace tessaly
