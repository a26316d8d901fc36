#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "exchange/caldav_client.h"
#include "exchange/caldav_merge.h"
#include "exchange/caldav_state.h"

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

}  // namespace tessaly
