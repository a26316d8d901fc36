#include "core/text_encoding.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace tessaly {

namespace {

// Windows-1252 for 0x80..0x9F; the five codes it leaves undefined map to the
// C1 control of the same number, as Windows' own conversion does.
constexpr std::array<char16_t, 32> Cp1252_High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool Is_Invisible(char32_t code) {
    return (code >= 0x80 && code <= 0x9F) || code == 0xAD || (code >= 0x200B && code <= 0x200F) ||
           (code >= 0x2028 && code <= 0x202E) || (code >= 0x2060 && code <= 0x2064) ||
           code == 0xFEFF;
}

constexpr const char* Hex_Digits = "0123456789ABCDEF";

}  // namespace

std::string Ascii_Upper_Case(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

std::string_view Trimmed(std::string_view text, std::string_view blanks) {
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::optional<int> Decimal_Value(std::string_view digits, std::size_t most) {
    // Ten digits could overflow an int.
    constexpr std::size_t Longest = 9;
    if (digits.empty() || digits.size() > most || digits.size() > Longest) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

std::size_t Character_Boundary(std::string_view text, std::size_t length) {
    std::size_t end = std::min(length, text.size());
    while (end > 0 && end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return end;
}

void Append_UTF8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool Is_Valid_UTF8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<std::uint8_t>(bytes[i]);
        std::size_t length = 0;
        char32_t code = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, code = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, code = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, code = lead & 0x07, minimum = 0x10000;
        } else {
            return false;
        }
        if (i + length > bytes.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<std::uint8_t>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past Unicode are not UTF-8.
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string To_Display_UTF8(std::string_view bytes) {
    if (Is_Valid_UTF8(bytes)) {
        return std::string(bytes);
    }
    return Windows_1252_To_UTF8(bytes);
}

std::string Windows_1252_To_UTF8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<std::uint8_t>(c);
        if (byte >= 0x80 && byte < 0xA0) {
            Append_UTF8(out, Cp1252_High[byte - 0x80]);
        } else {
            Append_UTF8(out, byte);
        }
    }
    return out;
}

std::string Line_Breaks_As_Spaces(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') {
                ++i;
            }
            out += ' ';
        } else if (c == '\xE2' && i + 2 < utf8.size() && utf8[i + 1] == '\x80' &&
                   (utf8[i + 2] == '\xA8' || utf8[i + 2] == '\xA9')) {
            i += 2;
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

std::string Escape_For_Message(std::string_view bytes) {
    const std::string text = To_Display_UTF8(bytes);
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<std::uint8_t>(text[i]);
        if (lead < 0x20 || lead == 0x7F) {
            out += "\\x";
            out += Hex_Digits[lead >> 4];
            out += Hex_Digits[lead & 0xF];
            ++i;
            continue;
        }
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            code = (code << 6) | (static_cast<std::uint8_t>(text[i + k]) & 0x3F);
        }
        if (Is_Invisible(code)) {
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4) {
                out += Hex_Digits[(code >> shift) & 0xF];
            }
        } else {
            out.append(text, i, length);
        }
        i += length;
    }
    return out;
}

std::string Escape_Xml_Text(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

}  // namespace tessaly
