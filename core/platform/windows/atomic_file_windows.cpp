#include <windows.h>

#include <random>
#include <string>
#include <system_error>

#include "core/atomic_file.h"
#include "core/errors.h"
#include "core/platform/saving.h"
#include "core/platform/windows/save_calls.h"
#include "core/platform/windows/windows_text.h"

namespace tessaly {

namespace detail {

Move_File_Call& Save_Move_File() {
    static Move_File_Call call = [](LPCWSTR from, LPCWSTR to, DWORD flags) {
        return ::MoveFileExW(from, to, flags);
    };
    return call;
}

}  // namespace detail

namespace {

namespace fs = std::filesystem;

using detail::Is_Temporary_Of;
using detail::Temporary_Marker;
using detail::Temporary_Random_Length;
using detail::Throw_File_Error;

// In the system's language, as UTF-8 like every other text of the program.
std::string System_Text(DWORD error) {
    return detail::Windows_Error_Text(error);
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
// Paths reach the system in UTF-16, whatever letters they hold.
class Temporary_File {
public:
    explicit Temporary_File(const fs::path& target) : target_(target) {}
    ~Temporary_File() {
        if (!name_.empty()) {
            ::DeleteFileW(name_.c_str());
        }
    }
    Temporary_File(const Temporary_File&) = delete;
    Temporary_File& operator=(const Temporary_File&) = delete;

    // Creates it with the bytes, flushed to disk and closed; 0 or the error.
    DWORD Write(std::string_view bytes) {
        HANDLE file = INVALID_HANDLE_VALUE;
        for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
            const fs::path name = Fresh_Name();
            file = ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
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
        if (!detail::Save_Move_File()(name_.c_str(), destination.c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return ::GetLastError();
        }
        name_.clear();
        return 0;
    }

    // Takes over a file made under this name by someone else.
    void Adopt(const fs::path& name) { name_ = name; }
    fs::path Fresh_Name() const {
        fs::path name = Folder_Of(target_) / (L"." + target_.filename().native());
        name += Temporary_Marker + Random_Letters();
        return name;
    }

private:
    fs::path target_;
    fs::path name_;
};

// The previous file, kept as "<name>.bak": a hard link where the volume has
// them (same bytes, no copy), else a copy. 0 or the error.
DWORD Keep_Backup_Of(const fs::path& target) {
    Temporary_File kept(target);
    const fs::path name = kept.Fresh_Name();
    if (!::CreateHardLinkW(name.c_str(), target.c_str(), nullptr) &&
        !::CopyFileW(target.c_str(), name.c_str(), TRUE)) {
        return ::GetLastError();
    }
    kept.Adopt(name);
    return kept.Rename_To(Backup_Path(target));
}

}  // namespace

fs::path Backup_Path(const fs::path& target) {
    // Appended to the path itself: a path made from the UTF-8 of string()
    // would read those bytes in another encoding.
    fs::path backup = target;
    backup += ".bak";
    return backup;
}

void Write_File_Atomically(const fs::path& target, std::string_view bytes,
                           const Atomic_Write_Options& options) {
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
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
        ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        const DWORD attributes = ::GetFileAttributesW(file.c_str());
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
            ::DeleteFileW(entry.path().c_str())) {
            ++removed;
        }
    }
    return removed;
}

}  // namespace tessaly
