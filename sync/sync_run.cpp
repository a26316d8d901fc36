#include "sync/sync_run.h"

#include <map>
#include <optional>
#include <set>

#include "core/entry_attributes.h"
#include "sync/event_resource.h"

namespace tessaly {

std::string New_Entry_Uid(const TName_And_Event_Data& entry) {
    return Content_Hash(entry) + "@tessaly";
}

bool Same_Stored_Entry(const TName_And_Event_Data& a, const TName_And_Event_Data& b) {
    return a.Name == b.Name && a.Orig_Date == b.Orig_Date && a.Event_Type == b.Event_Type &&
           a.Comments == b.Comments && a.Spare_1 == b.Spare_1 && a.Spare_2 == b.Spare_2 &&
           a.Spare_3 == b.Spare_3 && a.Spare_4 == b.Spare_4;
}

bool Give_Entries_Uids(std::vector<TName_And_Event_Data>& entries) {
    std::set<std::string> used;
    for (const auto& entry : entries) {
        if (const auto uid = Read_Entry_Uid(entry)) {
            used.insert(*uid);
        }
    }
    bool given = false;
    std::set<std::string> seen;
    for (auto& entry : entries) {
        const std::optional<std::string> uid = Read_Entry_Uid(entry);
        if (uid && !seen.contains(*uid)) {
            seen.insert(*uid);
            continue;
        }
        const std::string base = New_Entry_Uid(entry);
        std::string fresh = base;
        for (int copy = 2; used.contains(fresh); ++copy) {
            fresh = base + "-" + std::to_string(copy);
        }
        if (Write_Entry_Uid(entry, fresh)) {
            used.insert(fresh);
            seen.insert(fresh);
            given = true;
        }
    }
    return given;
}

std::optional<std::vector<TName_And_Event_Data>> Merge_Into_Changed_List(
    const std::vector<TName_And_Event_Data>& snapshot,
    const std::vector<TName_And_Event_Data>& synced,
    const std::vector<TName_And_Event_Data>& current) {
    const auto by_uid = [](const std::vector<TName_And_Event_Data>& list) {
        std::map<std::string, const TName_And_Event_Data*> found;
        for (const auto& entry : list) {
            if (const auto uid = Read_Entry_Uid(entry)) {
                found.emplace(*uid, &entry);
            }
        }
        return found;
    };
    const auto before = by_uid(snapshot);
    const auto after = by_uid(synced);
    std::vector<TName_And_Event_Data> merged;
    std::set<std::string> present;
    for (const auto& entry : current) {
        const auto uid = Read_Entry_Uid(entry);
        const auto was = uid ? before.find(*uid) : before.end();
        if (was == before.end() || !Same_Stored_Entry(*was->second, entry)) {
            // New, or changed meanwhile: the list's version, for the next
            // sync to send.
            merged.push_back(entry);
        } else if (const auto now = after.find(*uid); now != after.end()) {
            merged.push_back(*now->second);
        } else {
            continue;  // removed by the sync
        }
        if (uid) {
            present.insert(*uid);
        }
    }
    for (const auto& entry : synced) {
        const auto uid = Read_Entry_Uid(entry);
        // New from the server; an entry of the snapshot that is not in the
        // list now was deleted meanwhile, and stays so.
        if (uid && !before.contains(*uid) && !present.contains(*uid)) {
            merged.push_back(entry);
        }
    }
    if (merged.size() > static_cast<std::size_t>(Event_Array_Size)) {
        return std::nullopt;
    }
    return merged;
}

namespace {

// The events as the state left them: what the server holds where nothing
// changed there since.
std::vector<Remote_Event> Known_Events(const Sync_State& base) {
    std::vector<Remote_Event> known;
    for (const auto& event : base.Events) {
        Remote_Event remote;
        remote.Url = event.Url;
        remote.Etag = event.Etag;
        remote.Read.Reading = Event_Reading::Taken;
        remote.Read.Uid = event.Uid;
        known.push_back(std::move(remote));
    }
    return known;
}

// The server's events from what changed since the state's token (RFC 6578)
// and those changed, read in one request; none where the server no longer
// takes the token (or takes no tokens), and everything must be read.
std::optional<std::vector<Remote_Event>> Read_Changed_Events(CalDAV_Client& client,
                                                             const std::string& calendar_url,
                                                             const Sync_State& base) {
    CalDAV_Changes changes;
    try {
        changes = client.Read_Changes(calendar_url, base.Sync_Token);
    } catch (const CalDAV_Error& error) {
        const CalDAV_Failure failure = error.Failure();
        if (failure == CalDAV_Failure::Precondition_Failed ||
            failure == CalDAV_Failure::Forbidden || failure == CalDAV_Failure::Unexpected_Status) {
            return std::nullopt;
        }
        throw;
    }
    std::set<std::string> touched(changes.Removed.begin(), changes.Removed.end());
    std::vector<std::string> changed_urls;
    for (const auto& event : changes.Changed) {
        touched.insert(event.Url);
        changed_urls.push_back(event.Url);
    }
    std::vector<Remote_Event> remote = Known_Events(base);
    std::erase_if(remote,
                  [&touched](const Remote_Event& event) { return touched.contains(event.Url); });
    // One gone between the two requests is left out: deleted there.
    if (!changed_urls.empty()) {
        for (auto& event : client.Read_Events(calendar_url, changed_urls)) {
            remote.push_back({event.Url, event.Etag, Read_Event_Entry(event.Data)});
        }
    }
    return remote;
}

}  // namespace

Sync_Outcome Run_Sync(CalDAV_Client& client, const std::string& calendar_url,
                      const std::vector<TName_And_Event_Data>& local, const Sync_State& state,
                      const std::function<Conflict_Choice(const Sync_Conflict&)>& decide,
                      std::chrono::sys_seconds stamp) {
    const int requests_before = client.Requests_Sent();
    // Another calendar than last time: nothing of the old state holds. Nor
    // does it for an empty list: a data file lost or made anew would
    // otherwise delete every event of the calendar. The list takes them
    // instead.
    Sync_State base;
    if (state.Calendar_Url == calendar_url && !local.empty()) {
        base = state;
    }
    const CalDAV_Calendar calendar = client.Read_Calendar(calendar_url);
    const bool unchanged_there = calendar.Sync_Token.empty()
                                     ? !calendar.Ctag.empty() && calendar.Ctag == base.Ctag
                                     : calendar.Sync_Token == base.Sync_Token;

    std::vector<Remote_Event> remote;
    if (unchanged_there) {
        remote = Known_Events(base);
    } else {
        std::optional<std::vector<Remote_Event>> changed;
        if (!base.Sync_Token.empty() && !calendar.Sync_Token.empty()) {
            changed = Read_Changed_Events(client, calendar_url, base);
        }
        if (changed) {
            remote = std::move(*changed);
        } else {
            for (auto& event : client.Read_Events(calendar_url)) {
                remote.push_back({event.Url, event.Etag, Read_Event_Entry(event.Data)});
            }
        }
    }

    const Sync_Plan plan =
        Plan_Sync(local, base.Events, remote, calendar_url, decide, New_Entry_Uid);

    Sync_Outcome outcome;
    outcome.State.Calendar_Url = calendar_url;
    outcome.State.Events = plan.Kept;
    for (const auto& removal : plan.Deletes) {
        try {
            client.Delete_Event(removal.Url, removal.Etag);
        } catch (const CalDAV_Error& error) {
            // Gone already is what was wanted.
            if (error.Failure() != CalDAV_Failure::Not_Found) {
                throw;
            }
        }
        ++outcome.Deleted_There;
    }
    std::vector<std::string> without_etag;
    std::map<std::string, std::size_t> state_of_url;
    for (const auto& put : plan.Puts) {
        const std::string etag =
            client.Put_Event(put.Url, Entry_Event(put.Entry, put.Uid, stamp), put.Etag);
        ++outcome.Sent;
        if (etag.empty()) {
            without_etag.push_back(put.Url);
            state_of_url[put.Url] = outcome.State.Events.size();
        }
        outcome.State.Events.push_back({put.Uid, put.Url, etag, Content_Hash(put.Entry)});
    }
    if (!without_etag.empty()) {
        for (const auto& event : client.Read_Events(calendar_url, without_etag)) {
            if (const auto at = state_of_url.find(event.Url); at != state_of_url.end()) {
                outcome.State.Events[at->second].Etag = event.Etag;
            }
        }
        // An event whose ETag could not be learnt is left out of the state:
        // the next sync finds it with the same content and takes it as agreed.
        std::erase_if(outcome.State.Events, [](const auto& event) { return event.Etag.empty(); });
    }
    if (plan.Puts.empty() && plan.Deletes.empty()) {
        outcome.State.Sync_Token = calendar.Sync_Token;
        outcome.State.Ctag = calendar.Ctag;
    }

    outcome.Entries = plan.Entries;
    outcome.List_Changed = plan.List_Changed;
    outcome.Taken = plan.Taken_From_Server;
    outcome.Removed_Here = plan.Removed_By_Server;
    outcome.Conflicts = plan.Conflicts;
    outcome.Not_Taken = plan.Not_Taken;
    outcome.No_Room = plan.No_Room;
    outcome.Without_Uid_Room = plan.Without_Uid_Room;
    outcome.Requests = client.Requests_Sent() - requests_before;
    return outcome;
}

}  // namespace tessaly
