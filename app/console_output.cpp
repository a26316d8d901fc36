#include "app/console_output.h"

namespace tessaly {

namespace {

constexpr char16_t Replacement = u'\uFFFD';

void Append_Code_Point(std::u16string& text, char32_t code_point) {
    if (code_point < 0x10000) {
        text.push_back(static_cast<char16_t>(code_point));
        return;
    }
    code_point -= 0x10000;
    text.push_back(static_cast<char16_t>(0xD800 + (code_point >> 10)));
    text.push_back(static_cast<char16_t>(0xDC00 + (code_point & 0x3FF)));
}

struct Lead {
    int Length;          // 0: no lead byte
    unsigned char Low;   // the second byte's range, which rules out overlong
    unsigned char High;  // forms, surrogates and code points past U+10FFFF
};

Lead Lead_Of(unsigned char byte) {
    if (byte >= 0xC2 && byte <= 0xDF) {
        return {2, 0x80, 0xBF};
    }
    if (byte == 0xE0) {
        return {3, 0xA0, 0xBF};
    }
    if (byte == 0xED) {
        return {3, 0x80, 0x9F};
    }
    if (byte >= 0xE1 && byte <= 0xEF) {
        return {3, 0x80, 0xBF};
    }
    if (byte == 0xF0) {
        return {4, 0x90, 0xBF};
    }
    if (byte >= 0xF1 && byte <= 0xF3) {
        return {4, 0x80, 0xBF};
    }
    if (byte == 0xF4) {
        return {4, 0x80, 0x8F};
    }
    return {0, 0, 0};
}

}  // namespace

std::u16string Utf8_To_Utf16::Convert(std::string_view bytes) {
    const std::string data = pending_ + std::string(bytes);
    pending_.clear();
    std::u16string text;
    text.reserve(data.size());
    std::size_t i = 0;
    while (i < data.size()) {
        const auto byte = static_cast<unsigned char>(data[i]);
        if (byte < 0x80) {
            text.push_back(byte);
            ++i;
            continue;
        }
        const Lead lead = Lead_Of(byte);
        if (lead.Length == 0) {
            text.push_back(Replacement);
            ++i;
            continue;
        }
        char32_t code_point = byte & (0x7Fu >> lead.Length);
        std::size_t taken = 1;
        bool broken = false;
        for (; taken < static_cast<std::size_t>(lead.Length); ++taken) {
            if (i + taken >= data.size()) {
                // The rest of the character comes with the next write.
                pending_ = data.substr(i);
                return text;
            }
            const auto next = static_cast<unsigned char>(data[i + taken]);
            const unsigned char low = taken == 1 ? lead.Low : 0x80;
            const unsigned char high = taken == 1 ? lead.High : 0xBF;
            if (next < low || next > high) {
                broken = true;
                break;
            }
            code_point = (code_point << 6) | (next & 0x3Fu);
        }
        if (broken) {
            text.push_back(Replacement);
        } else {
            Append_Code_Point(text, code_point);
        }
        i += taken;
    }
    return text;
}

std::u16string Utf8_To_Utf16::Finish() {
    if (pending_.empty()) {
        return {};
    }
    pending_.clear();
    return std::u16string(1, Replacement);
}

bool Output_Takes_Colour(Output_Kind kind, bool virtual_terminal_on) {
    switch (kind) {
        case Output_Kind::Console:
            return virtual_terminal_on;
        case Output_Kind::Terminal:
            return true;
        case Output_Kind::Other:
            return false;
    }
    return false;
}

}  // namespace tessaly
