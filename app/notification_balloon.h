#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "app/notification.h"

namespace tessaly {

// What a notification-area balloon holds, in UTF-16 units before the closing
// null: Windows cuts anything longer wherever it falls.
inline constexpr std::size_t Balloon_Title_Units = 63;
inline constexpr std::size_t Balloon_Text_Units = 255;

// The balloon of a notification, in UTF-8.
struct Balloon_Text {
    std::string Title;
    std::string Text;
};

// The title, and as many of the notification's entry lines as fit whole,
// then "and N more" for the entries left out. One entry is always shown, cut
// with "…" when even it does not fit beside the count.
Balloon_Text Make_Balloon_Text(const Coming_Events_Notification& notification);

// The UTF-16 units of a UTF-8 text: two for a character beyond U+FFFF.
std::size_t Utf16_Units(std::string_view utf8);

// The text cut at a character so that it takes at most `units` UTF-16
// units, ending in "…" when anything was cut.
std::string Cut_To_Units(std::string_view utf8, std::size_t units);

}  // namespace tessaly
