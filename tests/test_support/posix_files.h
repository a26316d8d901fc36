#pragma once

#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

namespace tessaly::test {

// A file's permission bits.
inline mode_t Mode_Of(const std::filesystem::path& file) {
    struct stat info {};
    EXPECT_EQ(::stat(file.c_str(), &info), 0) << file;
    return info.st_mode & 07777;
}

// Lets a test make writes fail even as root: files may not grow past the
// limit (write then fails with EFBIG instead of raising SIGXFSZ).
class File_Size_Limit {
public:
    explicit File_Size_Limit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        saved_handler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~File_Size_Limit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, saved_handler_);
    }

private:
    rlimit saved_{};
    sighandler_t saved_handler_{};
};

}  // namespace tessaly::test
