#include "core/platform/saving.h"

#include "core/atomic_file.h"
#include "core/errors.h"

namespace tessaly::detail {

bool Is_Temporary_Of(const std::string& entry, const std::string& target_name) {
    const std::string prefix = "." + target_name + Temporary_Marker;
    if (entry.size() != prefix.size() + Temporary_Random_Length ||
        entry.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    for (std::size_t i = prefix.size(); i < entry.size(); ++i) {
        const char c = entry[i];
        const bool alphanumeric =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alphanumeric) {
            return false;
        }
    }
    return true;
}

void Throw_File_Error(const char* what, const std::filesystem::path& file,
                      const std::string& reason) {
    throw File_Error(std::string(what) + " \"" + file.string() + "\": " + reason);
}

std::string Too_Large_Reason() {
    return "the file is larger than " + std::to_string(Largest_Readable_File / (1024 * 1024)) +
           " MiB, far more than any list of the program needs";
}

}  // namespace tessaly::detail
