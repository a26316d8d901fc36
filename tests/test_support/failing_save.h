#pragma once

#include <cerrno>
#include <string>
#include <string_view>

#include "core/atomic_file.h"
#include "core/platform/posix/file_calls.h"

namespace tessaly::test {

// While it lives, every save of the named file fails at its rename with the
// given error, as on a full or failing disk; the files on disk stay as they
// are and other files save as usual.
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

}  // namespace tessaly::test
