#include <sys/stat.h>

#include "core/platform/file_stamp.h"

namespace tessaly {

File_Stamp Current_File_Stamp(const std::filesystem::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) {
        return {};
    }
    File_Stamp stamp;
    stamp.Exists = true;
    stamp.Device = static_cast<std::uint64_t>(info.st_dev);
    stamp.Identity = static_cast<std::uint64_t>(info.st_ino);
    stamp.Size = static_cast<std::int64_t>(info.st_size);
    stamp.Modified_Ns = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 +
                        static_cast<std::int64_t>(info.st_mtim.tv_nsec);
    return stamp;
}

}  // namespace tessaly
