#pragma once

#include <string>
#include <vector>

#include "caldav/caldav_client.h"
#include "sync/sync_plan.h"
#include "sync/sync_state.h"

namespace tessaly {

// What the server holds for one sync, read as cheaply as the state allows.
struct Server_Snapshot {
    CalDAV_Calendar Calendar;
    std::vector<Remote_Event> Events;
    // The state no longer describes this calendar (its sync token was
    // refused, and none of its events is there as it knew them): the plan
    // compares both sides afresh.
    bool Afresh = false;
};

// One request where the sync token (or ctag) is the state's: the events are
// the state's. Where the token moved on, the changes since (RFC 6578) and
// the changed events. Otherwise, or where the server refuses the token,
// every event.
Server_Snapshot Read_Server_Snapshot(CalDAV_Client& client, const std::string& calendar_url,
                                     const Sync_State& base);

// Every event of the calendar; those the server could not give are there
// as unreadable, with their address.
std::vector<Remote_Event> Read_All_Events(CalDAV_Client& client, const std::string& calendar_url);

// The events as the state left them: what the server holds where nothing
// changed there since.
std::vector<Remote_Event> Known_Events(const std::vector<Synced_Event>& events);

}  // namespace tessaly
