#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sync/sync_plan.h"

namespace tessaly {

// The sync's memory, in a file of its own beside the data file: the data
// file keeps its layout.
inline constexpr const char* Sync_State_File_Name = "Tessaly.sync";

struct Sync_State {
    std::string Calendar_Url;
    std::string Sync_Token;
    std::string Ctag;
    std::vector<Synced_Event> Events;

    bool operator==(const Sync_State&) const = default;
};

// A text file of lines: "Tessaly sync 3", then "calendar", "token" and
// "ctag" lines, then one "event" line per synced event with the UID, URL,
// ETag, content hash, "ours" or "other" and the default alarm separated by
// tabs. Versions 2 (no default alarm: "none") and 1 (nor the kind) are read
// too. Values are escaped as the
// entries' attributes are ("%", ";" and control bytes as "%" and two hex
// digits).
std::string Encode_Sync_State(const Sync_State& state);

// None for a text that is not a state of this version or is damaged in any
// way: the sync then starts afresh, which compares both sides and loses
// nothing.
std::optional<Sync_State> Decode_Sync_State(std::string_view text);

// The state file beside a data file.
std::filesystem::path Sync_State_Path(const std::filesystem::path& data_file);

// An empty state where there is no file or it cannot be read as one;
// written through the atomic save.
Sync_State Load_Sync_State(const std::filesystem::path& file);
void Save_Sync_State(const std::filesystem::path& file, const Sync_State& state);

}  // namespace tessaly
