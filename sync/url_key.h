#pragma once
// TEMPORARY until the client's normalisation lands.
#include <string>
#include <string_view>
namespace tessaly {
inline std::string Url_Key(std::string_view url) {
    return std::string(url);
}
}  // namespace tessaly
