#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "core/event_list.h"
#include "core/short_date.h"

namespace tessaly {

// The desktop notification that `tessaly-report --notify` posts.
inline constexpr const char* Notification_Summary = "Coming Birthdays and Events";
inline constexpr const char* Notification_App_Name = "Tessaly";
// More lines than this would cover the screen; the rest are counted.
inline constexpr int Notification_Line_Limit = 10;
// A name or event type longer than this many characters is cut and ends in
// "…", so that every line keeps its date and the body stays small.
inline constexpr std::size_t Notification_Field_Length = 100;
// The most the notifier reads as the body: the tool's bounded lines stay far
// below it.
inline constexpr std::size_t Longest_Notification_Body = 64 * 1024;
// The program that speaks to the notification server, so that the plain
// report never loads the D-Bus libraries.
inline constexpr const char* Notifier_Name = "tessaly-notify";

// The notification server cannot be reached (no session bus, no server) or
// this system has none.
inline constexpr int Report_Tool_Notification_Unavailable = 69;

// The "urgency" hint's byte values.
enum class Notification_Urgency { Normal = 1, Critical = 2 };

struct Coming_Events_Notification {
    // The report's entry lines (UTF-8, plain text, control characters shown
    // as "?"), at most the line limit, then "and N more" when entries were
    // left out.
    std::vector<std::string> Lines;
    int Entries = 0;
    Notification_Urgency Urgency = Notification_Urgency::Normal;

    // The lines, "\n" between them.
    std::string Body() const;
};

// Hands a notification to the server and returns the tool's exit status;
// every message goes to `err`.
using Notification_Poster =
    std::function<int(const Coming_Events_Notification& notification, std::ostream& err)>;

// The entries the report lists for the list in the report's order, their
// derived fields computed: critical when any is due today. None reported
// gives no lines.
Coming_Events_Notification Make_Coming_Events_Notification(const Event_List& list, int threshold,
                                                           const Short_Date_Formatter& short_date);

// What --notify does once the list is loaded and in the report's order:
// posts the entries due, or says that none is and returns 1 as for an empty
// list. Without a poster the system has no notification server.
int Post_Coming_Events(const Event_List& list, int threshold,
                       const Short_Date_Formatter& short_date, const Notification_Poster& post,
                       std::ostream& err);

// Escapes the characters a server that takes body markup would read as
// markup.
std::string Escape_Body_Markup(const std::string& text);

}  // namespace tessaly
