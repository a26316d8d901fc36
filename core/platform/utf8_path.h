#pragma once

#include <filesystem>
#include <string_view>

namespace tessaly {

// The path that a UTF-8 text (a name, an argument) names. A path made from a
// plain std::string reads its bytes in the system's narrow encoding, which
// on Windows is not UTF-8; string() gives UTF-8 back there.
inline std::filesystem::path Path_From_Utf8(std::string_view text) {
    return std::filesystem::path(
        std::u8string_view(reinterpret_cast<const char8_t*>(text.data()), text.size()));
}

}  // namespace tessaly
