#include "modules/module_library.h"

namespace tessaly {

std::filesystem::path Module_Path(const std::filesystem::path& executable, const char* name) {
    const std::filesystem::path beside = executable.parent_path() / name;
#if defined(TESSALY_MODULE_FOLDER_FROM_BINDIR)
    std::error_code error;
    if (!std::filesystem::exists(beside, error)) {
        const std::filesystem::path installed =
            (executable.parent_path() / TESSALY_MODULE_FOLDER_FROM_BINDIR / name)
                .lexically_normal();
        if (std::filesystem::exists(installed, error)) {
            return installed;
        }
    }
#endif
    return beside;
}

}  // namespace tessaly
