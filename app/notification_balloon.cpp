#include "app/notification_balloon.h"

#include <vector>

namespace tessaly {

namespace {

constexpr std::string_view Ellipsis = "\xE2\x80\xA6";  // U+2026, one unit

// The bytes and UTF-16 units of the character that starts at `at`; a stray
// continuation byte counts as a character of its own, as Windows shows it.
struct Character {
    std::size_t Bytes;
    std::size_t Units;
};

Character Character_At(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t bytes = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    std::size_t got = 1;
    while (got < bytes && at + got < text.size() &&
           (static_cast<unsigned char>(text[at + got]) & 0xC0) == 0x80) {
        ++got;
    }
    if (got < bytes) {
        return {1, 1};
    }
    return {bytes, bytes == 4 ? 2U : 1U};
}

std::string More_Line(int count) {
    return "and " + std::to_string(count) + " more";
}

}  // namespace

std::size_t Utf16_Units(std::string_view utf8) {
    std::size_t units = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const Character character = Character_At(utf8, at);
        units += character.Units;
        at += character.Bytes;
    }
    return units;
}

std::string Cut_To_Units(std::string_view utf8, std::size_t units) {
    if (Utf16_Units(utf8) <= units) {
        return std::string(utf8);
    }
    if (units == 0) {
        return {};
    }
    std::size_t taken = 0;
    std::size_t at = 0;
    while (at < utf8.size()) {
        const Character character = Character_At(utf8, at);
        if (taken + character.Units > units - 1) {
            break;
        }
        taken += character.Units;
        at += character.Bytes;
    }
    return std::string(utf8.substr(0, at)) + std::string(Ellipsis);
}

Balloon_Text Make_Balloon_Text(const Coming_Events_Notification& notification) {
    Balloon_Text balloon;
    balloon.Title = Cut_To_Units(Notification_Summary, Balloon_Title_Units);

    // The entry lines, without the count Make_Coming_Events_Notification adds.
    std::vector<std::string> entries = notification.Lines;
    if (static_cast<int>(entries.size()) > notification.Entries) {
        entries.resize(static_cast<std::size_t>(notification.Entries));
    }
    std::size_t shown = entries.size();
    for (; shown > 0; --shown) {
        std::string text;
        for (std::size_t i = 0; i < shown; ++i) {
            text += (i > 0 ? "\n" : "") + entries[i];
        }
        const int left_out = notification.Entries - static_cast<int>(shown);
        if (left_out > 0) {
            text += "\n" + More_Line(left_out);
        }
        if (Utf16_Units(text) <= Balloon_Text_Units) {
            balloon.Text = std::move(text);
            return balloon;
        }
    }
    if (entries.empty()) {
        return balloon;
    }
    // Not even the first entry fits whole beside the count.
    const int left_out = notification.Entries - 1;
    const std::string more = left_out > 0 ? "\n" + More_Line(left_out) : "";
    balloon.Text = Cut_To_Units(entries.front(), Balloon_Text_Units - Utf16_Units(more)) + more;
    return balloon;
}

}  // namespace tessaly
