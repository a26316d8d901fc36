#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/event_list.h"

namespace tessaly {

// What an entry carries beyond the eight lines of its record lives in one of
// its four spare fields, as one line of text:
//
//   [Tessaly/1]year=unknown;lead=30
//
// The version in the brackets changes only if the syntax itself changes;
// new attributes do not change it. Attributes are "key=value" items separated
// by ";"; keys are lower-case letters, digits and "-"; in a value "%", ";"
// and control bytes are written as "%" and two upper-case hex digits.
// Versions that read every spare field as opaque text keep the line as it
// is, so the attributes survive a round trip through them.
inline constexpr std::string_view Attribute_Field_Prefix = "[Tessaly/1]";

// A year-less entry keeps its month and day in this year: a leap year, so
// that 29 February exists, and the year contact programs use for "no year",
// so that older versions show a date that plainly is no real year.
inline constexpr int Year_Unknown_Placeholder = 1604;

inline constexpr int Minimum_Own_Lead = 1;
inline constexpr int Maximum_Own_Lead = 365;

// One spare field in our encoding. Items keep their text exactly as read,
// so a field that is not changed is written back byte for byte.
struct Attribute_Field {
    // Key and value as written (still escaped).
    std::vector<std::pair<std::string, std::string>> Items;

    bool operator==(const Attribute_Field&) const = default;
};

// None when the text is not a field of ours in a version we read: empty,
// another program's text, a later version, or anything malformed. Such a
// field is never reinterpreted or rewritten.
std::optional<Attribute_Field> Parse_Attribute_Field(std::string_view text);

// The prefix and the items; a parsed field gives back exactly its text.
std::string Encode_Attribute_Field(const Attribute_Field& field);

// "%", ";" and control bytes escaped for a value; and back (none for a value
// that is not well escaped).
std::string Escape_Attribute_Value(std::string_view value);
std::optional<std::string> Unescape_Attribute_Value(std::string_view value);

struct Entry_Attributes {
    bool Year_Unknown = false;
    // Days before the event the entry is reported; none: the list's time-frame.
    std::optional<int> Own_Lead;

    bool operator==(const Entry_Attributes&) const = default;
};

// The attributes of the first spare field of ours. An attribute whose value
// this version does not know reads as absent. A year-less mark counts only
// while the date lies in Year_Unknown_Placeholder: where an older version
// gave the entry a real year, the year is known again.
Entry_Attributes Read_Entry_Attributes(const TName_And_Event_Data& entry);

// Stores the attributes in the entry's field of ours, or in its first empty
// spare field; attributes it does not know, and other programs' fields, stay
// as they are. A field left without items becomes empty again. Attributes
// that read as they are already change nothing. Returns false, changing
// nothing, when every spare field holds another program's text.
bool Write_Entry_Attributes(TName_And_Event_Data& entry, const Entry_Attributes& attributes);

// The entry's identity on a calendar server: the "uid" attribute of its
// field of ours, which edits in the window keep (Write_Entry_Attributes
// leaves it alone). None where it has none, or where it is not well escaped.
std::optional<std::string> Read_Entry_Uid(const TName_And_Event_Data& entry);

// Stores the UID in the entry's field of ours, or in its first empty spare
// field; an empty UID removes it. Other attributes stay as they are. Returns
// false, changing nothing, when every spare field holds another program's text.
bool Write_Entry_Uid(TName_And_Event_Data& entry, std::string_view uid);

// Where an entry taken from an address book comes from. Its name, date and
// type are the contact's; its comment and lead are the list's own.
struct Contact_Source {
    // The address book's URL, as the account names it.
    std::string Book;
    // The contact's UID; its resource's name where it has none.
    std::string Contact;
    // Which date of the contact: "bday", "anniversary", or "date-N" for its
    // N-th other date (counted from 1 in the order the card gives them).
    std::string Date;

    bool operator==(const Contact_Source&) const = default;
};

// None where the entry is not from an address book (no "book", "contact" and
// "contact-date" attributes, or one of them empty or not well escaped).
std::optional<Contact_Source> Read_Contact_Source(const TName_And_Event_Data& entry);

// Stores the source in the entry's field of ours, or in its first empty
// spare field; none removes it. Other attributes stay as they are. Returns
// false, changing nothing, when every spare field holds another program's text.
bool Write_Contact_Source(TName_And_Event_Data& entry, const std::optional<Contact_Source>& source);

// The date a year-less entry stores for a month and day.
Day_Number Year_Unknown_Date(int month, int day);

}  // namespace tessaly
