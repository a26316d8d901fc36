#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/event_list.h"

namespace tessaly {

// The event types contacts' dates become.
inline constexpr const char* VCard_Birthday_Type = "Birthday";
inline constexpr const char* VCard_Wedding_Type = "Wedding Anniversary";
// A labelled date whose label says nothing of its kind.
inline constexpr const char* VCard_Other_Date_Type = "Anniversary";

// Longest name and event type taken from a contact, in bytes (cut at a
// character): no real contact comes near, and a hostile file cannot make
// every one of its dates carry a copy of a huge name.
inline constexpr std::size_t VCard_Longest_Name = 256;
inline constexpr std::size_t VCard_Longest_Type = 64;
// Longest contact UID kept; longer ones are cut, as real ones are far shorter.
inline constexpr std::size_t VCard_Longest_Uid = 256;
// Dates read from one contact; a real one has a handful.
inline constexpr int VCard_Most_Dates_Per_Contact = 64;
// Contacts with an unreadable date that the import names.
inline constexpr std::size_t VCard_Named_Unreadable = 10;

enum class VCard_Date_Kind {
    Dated,         // a full date within years 1..9999
    Without_Year,  // month and day only ("--0415", an omitted year)
    Unreadable,    // text ("circa 1800"), no day or month, outside 1..9999, no name, garbled
};

// One date of one contact, as the contact gives it.
struct VCard_Event {
    std::string Name;        // UTF-8, one line
    std::string Event_Type;  // UTF-8, one line
    VCard_Date_Kind Kind = VCard_Date_Kind::Unreadable;
    // Whole; for Without_Year the month and day as a year-less entry holds them.
    Day_Number Orig_Date = 0;
};

// Reads the contacts of a vCard file (versions 2.1, 3.0 and 4.0) and hands
// each of their dates to `take`, in file order. Never throws for any input;
// memory stays within a small multiple of the input's size. Returns how many
// contacts (BEGIN:VCARD) the file held.
int Read_VCard_Events(std::string_view bytes, const std::function<void(VCard_Event&&)>& take);

// One date of a contact with which of its dates it is: "bday" for its
// (first) birthday, "anniversary" for its (first) anniversary, "date-N" for
// its N-th other date, counted from 1 in the order the card gives them.
struct VCard_Keyed_Event {
    std::string Key;
    VCard_Event Event;
};

// A contact as an address book holds it: its UID as written (none where it
// has none or an empty one) and its dates, each as Read_VCard_Events gives it.
struct VCard_Contact {
    std::optional<std::string> Uid;
    std::vector<VCard_Keyed_Event> Dates;
    // Dates past VCard_Most_Dates_Per_Contact, not read.
    int Dates_Dropped = 0;
};

// As Read_VCard_Events, one contact at a time; the same names, types and
// dates for every input.
int Read_VCard_Contacts(std::string_view bytes, const std::function<void(VCard_Contact&&)>& take);

struct VCard_Import_Counts {
    int Contacts = 0;
    int Imported = 0;
    // Of those imported, the year-less entries.
    int Without_Year = 0;
    int Already_In_List = 0;
    int Unreadable = 0;
    // The contacts whose dates could not be read, as many as the message can
    // name, in file order; an empty name for a contact without one. A
    // contact's dates come one after another, so it is named once.
    std::vector<std::string> Unreadable_Names;
    int Unreadable_Contacts = 0;
    // Dated events that found the list full.
    int Not_Taken = 0;
};

// Appends each event of the file that the list does not already hold (same
// name, day and event type; the names and types compared as shown, the types
// without regard to case) while the list has room; one without a year becomes
// a year-less entry.
VCard_Import_Counts Append_VCard_Events(Event_List& list, std::string_view bytes);

}  // namespace tessaly
