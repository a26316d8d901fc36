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

// An event this sync left as it was because the server refused to take it
// or to give it; the others went on.
struct Skipped_Event {
    std::string Name;    // the entry's name, or the event's address
    std::string Reason;  // the server's words, for a bug report
    // The server failed for now (5xx, no reply): the next sync tries again.
    bool Retried = false;
};

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
    std::vector<Skipped_Event> Skipped;
    // Set where the guard stopped the sync before it changed anything on
    // either side: the list and state are the ones given.
    std::optional<Deletion_Question> Stopped;
    // The calendar was new, or no longer the one the state knew: both sides
    // were compared afresh, so nothing counted as deleted.
    bool Compared_Afresh = false;
};

enum class Deletion_Choice {
    Stop,             // change nothing
    Go_On,            // delete as planned
    Keep_Everything,  // bring every deleted entry back, on both sides
};

struct Sync_Run_Options {
    // Asked before anything is written where the plan would delete more
    // than the guard allows. None stops.
    std::function<Deletion_Choice(const Deletion_Question&)> Ask_Deletions;
    // The calendar was made for this sync: nothing of the state holds.
    bool New_Calendar = false;
    // The account's alarm for events whose entry has no lead of its own.
    Default_Alarm Alarm;
    // The list is empty because the user allowed its entries' removal (an
    // emptied address book): compared with the state, not afresh.
    bool Emptied_On_Purpose = false;
};

// One sync of the list with one calendar. The server is written first; the
// caller then saves the list (when changed) through the atomic save, and
// the state after it. A failure to reach the server or a refused login
// throws CalDAV_Error before the caller has changed anything locally; what
// was written on the server by then is met again by the next sync, which
// finds the same content there and takes it as agreed. Writes are made only
// under the ETag read in this sync, and change only what the list owns in
// the server's copy of an event.
//
// One event the server refuses (or cannot give) is skipped and counted; the
// rest go on. A write refused because the event changed meanwhile (412)
// means the event is read again and merged as any change from the server.
//
// An empty list starts afresh and takes the calendar's events: it never
// deletes them all. So does a new calendar, another calendar than the
// state's, and a sync token the server no longer takes where none of the
// state's events is there as it knew them: a calendar made anew at the same
// address is not "every event deleted there". One that still holds them
// lost only its history, and is compared with the state.
//
// A server whose sync token (or ctag) is the one the state kept costs one
// request when nothing changed in the list. Where the token moved on, only
// what changed since is read (RFC 6578), in two requests. The token kept is
// the one read before this sync's writes (the ctag only after a sync that
// wrote nothing), so that a write by another client between this sync's
// reads and writes is never missed.
Sync_Outcome Run_Sync(CalDAV_Client& client, const std::string& calendar_url,
                      const std::vector<TName_And_Event_Data>& local, const Sync_State& state,
                      const std::function<Conflict_Choice(const Sync_Conflict&)>& decide,
                      std::chrono::sys_seconds stamp, const Sync_Run_Options& options = {});

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
