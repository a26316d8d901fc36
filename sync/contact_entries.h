#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/event_list.h"
#include "sync/sync_plan.h"

namespace tessaly {

// One date of a contact as the list holds it: what the address book says.
struct Contact_Date_Record {
    std::string Key;  // "bday", "anniversary", "date-N"
    std::string Name;
    Day_Number Orig_Date = 0;
    std::string Event_Type;
    bool Year_Unknown = false;

    bool operator==(const Contact_Date_Record&) const = default;
};

// A contact as the last sync read it.
struct Known_Contact {
    std::string Href;
    std::string Etag;
    // Its UID, or its resource's name where it has none.
    std::string Contact;
    std::vector<Contact_Date_Record> Dates;

    bool operator==(const Known_Contact&) const = default;
};

struct Address_Book_State {
    std::string Url;
    std::string Sync_Token;
    std::string Ctag;
    std::vector<Known_Contact> Contacts;

    bool operator==(const Address_Book_State&) const = default;
};

// What the sync knows of the chosen address books between runs. Lost, it
// costs a full read of each book and nothing else: the entries carry their
// source themselves.
struct Contacts_State {
    std::vector<Address_Book_State> Books;

    bool operator==(const Contacts_State&) const = default;
};

// A member of an address book as this sync found it.
struct Book_Contact {
    std::string Href;
    std::string Etag;
    // The vCard; none where the member is unchanged since the state.
    std::optional<std::string> Data;
    // Why the server could not give it; it is skipped, its entries kept.
    std::string Problem;
};

// One chosen address book as this sync found it: every member, the
// unchanged ones too.
struct Book_Reading {
    std::string Url;
    // Why the book could not be read (gone, at another origin): its entries
    // and state stay as they are. Empty when it was read.
    std::string Problem;
    std::string Sync_Token;
    std::string Ctag;
    std::vector<Book_Contact> Contacts;
    // False where the members are not known to be all of the book's: then
    // no entry of it is removed.
    bool Whole = true;
};

struct Contact_Plan {
    // The list after the change: entries in their order, changed or gone,
    // then the new ones.
    std::vector<TName_And_Event_Data> Entries;
    bool List_Changed = false;
    int Added = 0;
    int Changed = 0;
    int Removed = 0;
    // Contacts the server could not give, or with a date that cannot be read.
    int Skipped = 0;
    // New dates past the list's 500 entries.
    int No_Room = 0;
    // Entries of the books read, before the change: the guard's side.
    int Book_Entries = 0;
    Contacts_State State;
};

// The list kept in step with the address books, one way. Each date of each
// contact becomes an entry as the vCard import makes it, marked with its
// Contact_Source; an entry whose date is gone from its book (the contact
// deleted, or the date) is removed, one whose name, date, type or year
// changed takes them, its comment, lead and UID staying. Hidden dates
// (keys of Hidden_Contact_Key) are never added, and an entry of one is left
// alone. A book with a Problem changes nothing; nor is anything removed from
// a book whose members were not all read or known. Keep_Everything keeps the
// entries that would be removed as the list's own, without their source.
Contact_Plan Plan_Contact_Entries(const std::vector<TName_And_Event_Data>& list,
                                  const std::vector<Book_Reading>& books,
                                  const std::vector<std::string>& hidden,
                                  const Contacts_State& last,
                                  Deletions deletions = Deletions::Apply);

// Each book of the state as a reading whose members are all unchanged: the
// plan over it sets the entries back to what the books said, and removes
// nothing. A book with a member that could not be read keeps no sync token
// or ctag in the state, so that the next sync lists it whole.
std::vector<Book_Reading> Unchanged_Readings(const Contacts_State& state);

// None where the plan's removals stay under the mass-deletion guard, weighed
// against the entries of the books read.
std::optional<Deletion_Question> Check_Contact_Deletions(const Contact_Plan& plan);

// The contact's identity where its card names none: the resource's name.
std::string Resource_Name(const std::string& href);

}  // namespace tessaly
