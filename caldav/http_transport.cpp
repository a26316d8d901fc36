#include "caldav/http_transport.h"

#include <algorithm>
#include <cctype>

namespace tessaly {

std::optional<std::pair<std::string, std::string>> Read_Header_Line(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    std::string name(line.substr(0, colon));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::string_view value = line.substr(colon + 1);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
        value.remove_prefix(1);
    }
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r' ||
                              value.back() == '\n')) {
        value.remove_suffix(1);
    }
    return std::make_pair(std::move(name), std::string(value));
}

std::string Http_Response::Header(std::string_view lower_case_name) const {
    for (const auto& [name, value] : Headers) {
        if (name == lower_case_name) {
            return value;
        }
    }
    return {};
}

}  // namespace tessaly
