#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "caldav/caldav_client.h"
#include "core/entry_attributes.h"
#include "core/profile_file.h"
#include "exchange/icalendar_export.h"
#include "exchange/icalendar_text.h"

namespace tessaly {

// The calendar account's section of the settings file. The password is not
// among its keys: it lives in the desktop's secret store, or a command the
// user names prints it.
inline constexpr const char* Calendar_Sync_Section = Default_Alarm_Section;
inline constexpr const char* Default_Calendar_Name = "Tessaly";

namespace calendar_sync_keys {
inline constexpr const char* Server_Key = "Server";
inline constexpr const char* User_Key = "User";
inline constexpr const char* Calendar_Key = "Calendar";
inline constexpr const char* Calendar_Name_Key = "Calendar_Name";
inline constexpr const char* Password_Command_Key = "Password_Command";
inline constexpr const char* Certificate_Key = "Trusted_Certificate";
inline constexpr const char* Address_Books_Key = "Address_Books";
inline constexpr const char* Address_Book_Names_Key = "Address_Book_Names";
inline constexpr const char* Hidden_Contacts_Key = "Hidden_Contacts";
// Read by the calendar export too: see Read_Default_Alarm.
inline constexpr const char* Default_Alarm_Key = tessaly::Default_Alarm_Key;
}  // namespace calendar_sync_keys

struct CalDAV_Account {
    // The address the user knows; discovery finds the calendars from it.
    std::string Server;
    std::string User;
    // The chosen calendar's URL; empty means the one named "Tessaly" in the
    // calendar home, made where the server has none.
    std::string Calendar_Url;
    // The chosen calendar's name on the server, as the account form shows
    // it; empty where it is not known (the form then names it by its URL).
    std::string Calendar_Name;
    // For scripts: a command whose output's first line is the password.
    // Empty means the secret store.
    std::string Password_Command;
    // The SHA-256 fingerprint of the server's own certificate, trusted on
    // purpose where the system does not trust it; empty: the system decides.
    std::string Trusted_Certificate;
    // The alarm every synced event of an entry without a lead of its own
    // carries. None by default: a calendar shared with a family would
    // otherwise ring on every phone for every birthday.
    Default_Alarm Alarm;
    // The address books whose contacts' birthdays and anniversaries become
    // entries, by URL; none by default.
    std::vector<std::string> Address_Books;
    // Their names on the server, as the account form or the tool last found
    // them, by URL; a book without one is named by its URL.
    std::map<std::string, std::string> Address_Book_Names;

    // An account is set once it has an address and a user.
    bool Is_Set() const { return !Server.empty() && !User.empty(); }
    bool operator==(const CalDAV_Account&) const = default;
};

// A default alarm that does not read (Parse_Default_Alarm) is none.
CalDAV_Account Read_CalDAV_Account(const Profile_File& file);
// Writes every key; an account with an empty address is written empty, which
// reads as no account.
void Write_CalDAV_Account(Profile_File& file, const CalDAV_Account& account);

// The calendar the account syncs with: the chosen one, or the one named
// "Tessaly" in the home found from the address (the first that takes
// events), made there when missing.
struct Account_Calendar {
    std::string Url;
    bool Found = false;  // found from the address now: the account keeps it
    bool Made = false;   // made now, so it holds nothing of the list yet
};
Account_Calendar Find_Account_Calendar(CalDAV_Client& client, const CalDAV_Account& account);

// The dates of contacts the user hid from the list: the sync never adds
// them again. Each is the contact and which of its dates; kept in the
// settings, which only the window writes, in the account's section.
std::string Hidden_Contact_Key(const Contact_Source& source);
std::vector<std::string> Read_Hidden_Contacts(const Profile_File& file);
void Write_Hidden_Contacts(Profile_File& file, const std::vector<std::string>& keys);

// How the account's server is reached: its password goes to the origin of
// its address alone, and its trusted certificate is taken.
Http_Transport_Options Account_Transport_Options(const CalDAV_Account& account,
                                                 std::string password);

}  // namespace tessaly
