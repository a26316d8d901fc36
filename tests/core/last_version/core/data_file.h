#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/errors.h"
#include "core/event_list.h"

namespace tessaly {

inline constexpr const char* Data_File_Name = "Tessaly.dat";

// The data file beside the executable: its folder plus "Tessaly.dat".
std::filesystem::path Data_File_Path(const std::filesystem::path& folder);

struct Load_Options {
    // Called when the file holds 500 entries or more, before the entries are
    // read; the load goes on with the first 500.
    std::function<void()> On_Capacity_Cut;
    // The window sets this: a file that fails to load is copied aside before
    // anything can overwrite it. The terminal tool, which never saves, does not.
    bool Keep_Unreadable_Copy = false;
    // Called when the file's entry count and its entries disagree (a count
    // larger than the entries, or entries after the last one counted), after
    // the list was read by the usual rules. With Keep_Unreadable_Copy the
    // file is first copied aside, and the message names the copy.
    std::function<void(const std::string& message)> On_Count_Mismatch;
};

// The 23-character text of a date: sign position, one digit, ".", fourteen
// digits rounded half up, "E", exponent sign and four digits. Where rounding
// up would carry the value into the next whole day, the digits are cut
// instead, so that the text always reads back as the same day.
std::string Format_Date_Text(Day_Number date);

// A date token: a decimal real ("35840", "3.584E4", the written form).
// Throws Convert_Error("Invalid numeric input") for anything else, including
// hexadecimal, infinities, NaN and days outside years 1..9999.
Day_Number Parse_Date_Token(std::string_view token);

// Reads the list from a data file's bytes by the reading rules (the list is
// blanked first). On a failure part-way the list holds what was read so far
// and a Tessaly_Error (Convert_Error for a bad number) is thrown.
void Parse_Data_File(std::string_view bytes, Event_List& list, const Load_Options& options);

// The file's bytes for the list in the "V1.1" layout, CR LF after each line.
std::string Serialise_Data_File(const Event_List& list);

// A list that would make a data file the load refuses: nothing is written.
class Unsaveable_List_Error : public File_Error {
public:
    using File_Error::File_Error;
};

// Throws Unsaveable_List_Error unless the load reads the bytes back as a
// list of the same count: what the window saves, it can always load again.
void Check_Loadable(std::string_view bytes, int event_count);

struct Save_Options {
    // The window keeps the file it replaces as "Tessaly.dat.bak", so that a
    // mistake (a Reset followed by a close) can be undone by hand.
    bool Keep_Backup = false;
};

// Writes the list to the file, replacing it atomically. Throws File_Error.
void Save_Data_To_File_ButtonClick(const Event_List& list, const std::filesystem::path& file,
                                   const Save_Options& options = {});

enum class Load_Result {
    No_File,  // nothing at the path: the list is empty and the grid not refreshed
    Loaded,
};

// Replaces the list with the file's content. On a failure part-way the list
// holds what was read so far (see the reading rules) and a Load_Error is
// thrown.
Load_Result Load_Data_From_File_ButtonClick(Event_List& list, const std::filesystem::path& file,
                                            const Load_Options& options = {});

// A load that failed. what() is the text for the user; when the file was
// copied aside it names the copy.
class Load_Error : public Tessaly_Error {
public:
    Load_Error(const std::string& message, std::string reason,
               std::optional<std::filesystem::path> kept_copy)
        : Tessaly_Error(message), reason_(std::move(reason)), kept_copy_(std::move(kept_copy)) {}

    // The failure alone, e.g. "Invalid numeric input".
    const std::string& Reason() const { return reason_; }
    const std::optional<std::filesystem::path>& Kept_Copy() const { return kept_copy_; }

private:
    std::string reason_;
    std::optional<std::filesystem::path> kept_copy_;
};

}  // namespace tessaly
