#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/event_list.h"
#include "sync/event_resource.h"

namespace tessaly {

// What the last sync left agreed on both sides, per event: kept in the sync
// state file.
struct Synced_Event {
    std::string Uid;
    std::string Url;
    std::string Etag;
    std::string Content_Hash;  // of Entry_Event_Content

    bool operator==(const Synced_Event&) const = default;
};

struct Remote_Event {
    std::string Url;
    std::string Etag;
    Event_Entry Read;
};

// Both sides changed the same entry since the last sync (or one deleted what
// the other edited): none is the deleted side.
struct Sync_Conflict {
    std::string Uid;
    std::optional<TName_And_Event_Data> Mine;
    std::optional<TName_And_Event_Data> Theirs;
};

enum class Conflict_Choice { Keep_Mine, Keep_Theirs, Keep_Both };

struct Sync_Put {
    std::string Uid;
    std::string Url;
    std::optional<std::string> Etag;  // none: a new event
    TName_And_Event_Data Entry;
};

struct Sync_Delete {
    std::string Uid;
    std::string Url;
    std::string Etag;
};

struct Sync_Plan {
    // The list after the sync: the local entries in their order (changed,
    // or gone where the server deleted them), then the server's new ones.
    // Every entry carries its UID.
    std::vector<TName_And_Event_Data> Entries;
    std::vector<Sync_Put> Puts;
    std::vector<Sync_Delete> Deletes;
    // The state of the events that no write touches; the writes add theirs.
    std::vector<Synced_Event> Kept;
    bool List_Changed = false;
    int Taken_From_Server = 0;  // added or changed in the list
    int Removed_By_Server = 0;
    int Conflicts = 0;
    int Not_Taken = 0;         // server events the list cannot hold
    int No_Room = 0;           // server events past the list's 500 entries
    int Without_Uid_Room = 0;  // local entries whose spare fields are all taken
};

std::string Content_Hash(const TName_And_Event_Data& entry);

// The two-way merge of one sync, decided before anything is written:
// unchanged on one side means the other side's change wins; changed on both
// asks `decide` (a run without a window keeps both); identical changes on
// both sides are no conflict. An entry without a UID (or with one an earlier
// entry has) gets `new_uid(entry)`, with "-2", "-3"... added while another
// entry of the list has it. A UID that follows from the content lets a sync
// cut short after its writes, and a second list holding the same entries,
// meet the events already written instead of doubling them.
Sync_Plan Plan_Sync(const std::vector<TName_And_Event_Data>& local,
                    const std::vector<Synced_Event>& state, const std::vector<Remote_Event>& remote,
                    const std::string& calendar_url,
                    const std::function<Conflict_Choice(const Sync_Conflict&)>& decide,
                    const std::function<std::string(const TName_And_Event_Data&)>& new_uid);

}  // namespace tessaly
