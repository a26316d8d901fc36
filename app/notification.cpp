#include "app/notification.h"

#include <cstddef>

#include "app/report_tool.h"
#include "core/text_encoding.h"
#include "report/report_builder.h"
#include "report/report_render.h"

namespace tessaly {

namespace {

constexpr const char* Ellipsis = "\xE2\x80\xA6";  // U+2026

bool Starts_Character(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

// A stored text as the notification shows it: in UTF-8, control characters
// as "?", cut at a character boundary after Notification_Field_Length
// characters less the ellipsis.
std::string Notification_Field(const std::string& stored) {
    std::string text;
    Append_Printable(text, To_Display_UTF8(stored));
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (Starts_Character(text[i]) && ++characters == Notification_Field_Length) {
            std::size_t end = i + 1;
            while (end < text.size() && !Starts_Character(text[end])) {
                ++end;
            }
            if (end < text.size()) {
                text.erase(i);
                text += Ellipsis;
            }
            break;
        }
    }
    return text;
}

}  // namespace

std::string Coming_Events_Notification::Body() const {
    std::string body;
    for (std::size_t i = 0; i < Lines.size(); ++i) {
        if (i > 0) {
            body += '\n';
        }
        body += Lines[i];
    }
    return body;
}

Coming_Events_Notification Make_Coming_Events_Notification(const Event_List& list, int threshold,
                                                           const Short_Date_Formatter& short_date) {
    Coming_Events_Notification notification;
    for (const TName_And_Event_Data& entry : list.Entries()) {
        if (!Is_Reported(entry, threshold)) {
            continue;
        }
        ++notification.Entries;
        if (entry.Days_Left == 0) {
            notification.Urgency = Notification_Urgency::Critical;
        }
        if (notification.Entries <= Notification_Line_Limit) {
            TName_And_Event_Data shown;
            shown.Name = Notification_Field(entry.Name);
            shown.Event_Type = Notification_Field(entry.Event_Type);
            shown.Next_Event = entry.Next_Event;
            shown.Days_Left = entry.Days_Left;
            shown.Age_Next = entry.Age_Next;
            shown.Year_Unknown = entry.Year_Unknown;
            // The report's indent only pushes the text away from the icon.
            std::string line = Report_Entry_Line(notification.Entries, shown, short_date);
            line.erase(0, line.find_first_not_of(' '));
            notification.Lines.push_back(std::move(line));
        }
    }
    if (notification.Entries > Notification_Line_Limit) {
        notification.Lines.push_back(
            "and " + std::to_string(notification.Entries - Notification_Line_Limit) + " more");
    }
    return notification;
}

int Post_Coming_Events(const Event_List& list, int threshold,
                       const Short_Date_Formatter& short_date, const Notification_Poster& post,
                       std::ostream& err) {
    const Coming_Events_Notification notification =
        Make_Coming_Events_Notification(list, threshold, short_date);
    if (notification.Entries == 0) {
        err << Report_Tool_Name << ": nothing is due within the next " << threshold
            << (threshold == 1 ? " day" : " days") << ": no notification shown\n";
        return Report_Tool_Empty_List;
    }
    if (!post) {
        err << Report_Tool_Name << ": desktop notifications are not available on this system\n";
        return Report_Tool_Notification_Unavailable;
    }
    return post(notification, err);
}

std::string Escape_Body_Markup(const std::string& text) {
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
            default:
                escaped += c;
        }
    }
    return escaped;
}

}  // namespace tessaly
