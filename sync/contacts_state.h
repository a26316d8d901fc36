#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "sync/contact_entries.h"

namespace tessaly {

// The address books' state, in a file of its own beside the calendar's.
inline constexpr const char* Contacts_State_File_Name = "Tessaly.contacts";

// A text file of lines: "Tessaly contacts 1", then per book a "book" line
// (URL, sync token, ctag), per contact a "contact" line (href, ETag, UID or
// resource name) and per date a "date" line (key, name, day number, type,
// "year" or "no-year"), fields separated by tabs and escaped as the entries'
// attributes are.
std::string Encode_Contacts_State(const Contacts_State& state);

// None for a text that is not such a state or is damaged in any way: the
// next sync then reads every book whole, which loses nothing.
std::optional<Contacts_State> Decode_Contacts_State(std::string_view text);

// Beside the calendar's state file.
std::filesystem::path Contacts_State_Path(const std::filesystem::path& sync_state_file);

// An empty state where there is no file or it cannot be read as one;
// written through the atomic save.
Contacts_State Load_Contacts_State(const std::filesystem::path& file);
void Save_Contacts_State(const std::filesystem::path& file, const Contacts_State& state);

}  // namespace tessaly
