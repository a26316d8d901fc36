#include "app/window_lock.h"

#include <system_error>

namespace tessaly {

namespace fs = std::filesystem;

fs::path Window_Lock_Path(const fs::path& data_file) {
    std::error_code error;
    fs::path file = fs::weakly_canonical(data_file, error);
    if (error) {
        file = fs::absolute(data_file, error).lexically_normal();
    }
    fs::path name(".");
    name += file.filename();
    name += ".lock";
    return file.parent_path() / name;
}

}  // namespace tessaly
