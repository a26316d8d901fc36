#pragma once

// What the fuzz targets share: a violated property prints what it was and
// traps, so that libFuzzer keeps the input as a crash file.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace tessaly::fuzz {

inline std::string_view Bytes_Of(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The bytes with everything outside printable ASCII written as \xHH.
inline std::string Shown(std::string_view bytes) {
    constexpr std::size_t Most_Shown = 200;
    std::string out = "\"";
    for (std::size_t i = 0; i < bytes.size() && i < Most_Shown; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        }
    }
    out += bytes.size() > Most_Shown ? "\"..." : "\"";
    return out;
}

[[noreturn]] inline void Fail(std::string_view property, std::string_view detail = {}) {
    std::fprintf(stderr, "\n*** property violated: %.*s\n", static_cast<int>(property.size()),
                 property.data());
    if (!detail.empty()) {
        std::fprintf(stderr, "*** %.*s\n", static_cast<int>(detail.size()), detail.data());
    }
    __builtin_trap();
}

inline void Check(bool holds, std::string_view property, std::string_view detail = {}) {
    if (!holds) {
        Fail(property, detail);
    }
}

inline void Check_Same(std::string_view expected, std::string_view actual,
                       std::string_view property) {
    if (expected != actual) {
        Fail(property, "expected " + Shown(expected) + ", got " + Shown(actual));
    }
}

}  // namespace tessaly::fuzz
