#include "app/notification.h"

#include <cstddef>

#include "app/report_tool.h"
#include "report/report_builder.h"

namespace tessaly {

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
    int position = 0;
    for (const TName_And_Event_Data& entry : list.Entries()) {
        ++position;  // numbered as in the report, which counts every entry
        if (entry.Days_Left > threshold) {
            continue;
        }
        ++notification.Entries;
        if (entry.Days_Left == 0) {
            notification.Urgency = Notification_Urgency::Critical;
        }
        if (notification.Entries <= Notification_Line_Limit) {
            // The report's indent only pushes the text away from the icon.
            std::string line = Report_Entry_Line(position, entry, short_date);
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
