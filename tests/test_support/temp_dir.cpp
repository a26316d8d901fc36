#include "test_support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace tessaly::test {

Temp_Dir::Temp_Dir() {
#ifdef _WIN32
    // No mkdtemp: a name from the clock and a counter, made only if new.
    static unsigned counter = 0;
    for (;;) {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        const std::filesystem::path candidate =
            std::filesystem::temp_directory_path() /
            ("tessaly-test-" + std::to_string(stamp) + "-" + std::to_string(++counter));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
#else
    std::string pattern = (std::filesystem::temp_directory_path() / "tessaly-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
#endif
}

Temp_Dir::~Temp_Dir() {
    std::error_code ignored;
    // A test may have left a folder read-only; make it removable again.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

void Write_Bytes(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

std::string Read_Bytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + file.string());
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint64_t File_Identity(const std::filesystem::path& file) {
#ifdef _WIN32
    const HANDLE handle =
        ::CreateFileW(file.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known =
        handle != INVALID_HANDLE_VALUE && ::GetFileInformationByHandle(handle, &info);
    if (handle != INVALID_HANDLE_VALUE) {
        ::CloseHandle(handle);
    }
    if (!known) {
        throw std::runtime_error("cannot identify " + file.string());
    }
    return (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
#else
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) {
        throw std::runtime_error("cannot identify " + file.string());
    }
    return info.st_ino;
#endif
}

}  // namespace tessaly::test
