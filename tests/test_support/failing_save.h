#pragma once

#include <string>
#include <string_view>

#include "core/atomic_file.h"
#include "test_support/system_reasons.h"

#ifdef _WIN32
#include <windows.h>

#include "core/platform/windows/save_calls.h"
#else
#include <cerrno>
#include <cstring>

#include "core/platform/posix/file_calls.h"
#endif

namespace tessaly::test {

// While it lives, every save of the named file fails as it is put in place,
// as on a full or failing disk; the files on disk stay as they are and other
// files save as usual.
#ifdef _WIN32
class Failing_Saves {
public:
    explicit Failing_Saves(std::string file_name = "Tessaly.dat")
        : saved_(detail::Save_Move_File()) {
        file_name_ = L"\\" + std::wstring(file_name.begin(), file_name.end());
        detail::Save_Move_File() = [](LPCWSTR from, LPCWSTR to, DWORD flags) {
            if (std::wstring_view(to).ends_with(file_name_)) {
                ::SetLastError(ERROR_WRITE_FAULT);
                return FALSE;
            }
            return ::MoveFileExW(from, to, flags);
        };
    }
    ~Failing_Saves() { detail::Save_Move_File() = saved_; }
    Failing_Saves(const Failing_Saves&) = delete;
    Failing_Saves& operator=(const Failing_Saves&) = delete;

private:
    detail::Move_File_Call saved_;
    static inline std::wstring file_name_;
};

// The system's words for the failure, as the messages quote them.
inline std::string Failing_Save_Reason() {
    return System_Reason(ERROR_WRITE_FAULT);
}
#else
class Failing_Saves {
public:
    explicit Failing_Saves(std::string file_name = "Tessaly.dat", int error = EIO)
        : saved_(detail::Save_File_Calls()) {
        file_name_ = "/" + std::move(file_name);
        error_ = error;
        detail::Save_File_Calls().Rename = [](const char* from, const char* to) {
            if (std::string_view(to).ends_with(file_name_)) {
                errno = error_;
                return -1;
            }
            return detail::System_File_Calls().Rename(from, to);
        };
    }
    ~Failing_Saves() { detail::Save_File_Calls() = saved_; }
    Failing_Saves(const Failing_Saves&) = delete;
    Failing_Saves& operator=(const Failing_Saves&) = delete;

private:
    detail::File_Calls saved_;
    static inline std::string file_name_;
    static inline int error_ = EIO;
};

inline std::string Failing_Save_Reason() {
    return std::strerror(EIO);
}
#endif

}  // namespace tessaly::test
