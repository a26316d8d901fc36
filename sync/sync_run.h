#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "caldav/caldav_client.h"
#include "sync/sync_plan.h"
#include "sync/sync_state.h"

namespace tessaly {

struct Sync_Outcome {
    // The list after the sync, and whether it differs from the one given
    // (new UIDs count: they must be saved).
    std::vector<TName_And_Event_Data> Entries;
    bool List_Changed = false;
    Sync_State State;
    int Sent = 0;  // events created or replaced on the server
    int Deleted_There = 0;
    int Taken = 0;  // entries added or changed from the server
    int Removed_Here = 0;
    int Conflicts = 0;
    int Not_Taken = 0;  // server events that are no yearly all-day events
    int No_Room = 0;
    int Without_Uid_Room = 0;
    int Requests = 0;
};

// One sync of the list with one calendar. The server is written first; the
// caller then saves the list (when changed) through the atomic save, and
// the state after it. Any failure throws CalDAV_Error before the caller has
// changed anything locally; what was written on the server by then is met
// again by the next sync, which finds the same content there and takes it
// as agreed. Writes are made only under the ETag read in this sync.
//
// An empty list starts afresh and takes the calendar's events: it never
// deletes them all.
//
// A server whose sync token (or ctag) is the one the state kept costs one
// request when nothing changed in the list. Where the token moved on, only
// what changed since is read (RFC 6578), in two requests; a token the
// server no longer takes means reading every event. The token is kept only after a
// sync that wrote nothing, so that a write by another client between this
// sync's reads and writes is never missed.
Sync_Outcome Run_Sync(CalDAV_Client& client, const std::string& calendar_url,
                      const std::vector<TName_And_Event_Data>& local, const Sync_State& state,
                      const std::function<Conflict_Choice(const Sync_Conflict&)>& decide,
                      std::chrono::sys_seconds stamp);

// The UID a new entry gets: from its content (see Plan_Sync).
std::string New_Entry_Uid(const TName_And_Event_Data& entry);

// The fields the data file holds are the same: the derived ones change at
// midnight.
bool Same_Stored_Entry(const TName_And_Event_Data& a, const TName_And_Event_Data& b);

// Gives every entry without a UID, or with one an earlier entry has, a UID
// of its own as a sync would; false when none was missing. An entry whose
// spare fields are all taken stays without. A list whose entries carry
// their UIDs before a sync can follow each entry through it.
bool Give_Entries_Uids(std::vector<TName_And_Event_Data>& entries);

// The list after a sync that ran from `snapshot` (every entry with its UID,
// see Give_Entries_Uids) while the list became `current`. An entry the list
// left as it was takes the sync's version, or goes where the sync removed
// it; one changed or deleted meanwhile stays as the list has it, for the
// next sync to send; entries new from the server are added. None when they
// would not fit: the next sync then compares afresh.
std::optional<std::vector<TName_And_Event_Data>> Merge_Into_Changed_List(
    const std::vector<TName_And_Event_Data>& snapshot,
    const std::vector<TName_And_Event_Data>& synced,
    const std::vector<TName_And_Event_Data>& current);

}  // namespace tessaly
