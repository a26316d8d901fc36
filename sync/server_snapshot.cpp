#include "sync/server_snapshot.h"

#include <algorithm>
#include <optional>
#include <set>

#include "sync/event_resource.h"
#include "sync/url_key.h"

namespace tessaly {

namespace {

Remote_Event Remote_From(CalDAV_Event& event) {
    Remote_Event remote;
    remote.Url = std::move(event.Url);
    remote.Etag = std::move(event.Etag);
    if (event.Problem.empty()) {
        remote.Read = Read_Event_Entry(event.Data);
        remote.Data = std::move(event.Data);
    }
    return remote;
}

// None where the server no longer takes the token (or takes no tokens).
std::optional<std::vector<Remote_Event>> Read_Changed_Events(CalDAV_Client& client,
                                                             const std::string& calendar_url,
                                                             const Sync_State& base) {
    CalDAV_Changes changes;
    try {
        changes = client.Read_Changes(calendar_url, base.Sync_Token);
    } catch (const CalDAV_Error& error) {
        const CalDAV_Failure failure = error.Failure();
        // Xandikos fails with 500 on a token it does not have (one of a
        // calendar deleted and made again): refused too, or every later
        // sync would fail the same way.
        if (failure == CalDAV_Failure::Precondition_Failed ||
            failure == CalDAV_Failure::Forbidden || failure == CalDAV_Failure::Unexpected_Status ||
            failure == CalDAV_Failure::Server_Error) {
            return std::nullopt;
        }
        throw;
    }
    // Servers may name a member in another spelling than the one it was
    // written under: compared as the same resource.
    std::set<std::string> touched;
    for (const auto& url : changes.Removed) {
        touched.insert(Url_Key(url));
    }
    std::vector<std::string> changed_urls;
    for (const auto& event : changes.Changed) {
        touched.insert(Url_Key(event.Url));
        changed_urls.push_back(event.Url);
    }
    std::vector<Remote_Event> remote = Known_Events(base.Events);
    std::erase_if(remote, [&touched](const Remote_Event& event) {
        return touched.contains(Url_Key(event.Url));
    });
    // One gone between the two requests is left out: deleted there.
    if (!changed_urls.empty()) {
        for (auto& event : client.Read_Events(calendar_url, changed_urls)) {
            remote.push_back(Remote_From(event));
        }
    }
    return remote;
}

// Whether an event is still there as the state knew it: the same calendar.
bool Holds_A_Known_Event(const std::vector<Remote_Event>& events, const Sync_State& base) {
    std::set<std::pair<std::string, std::string>> known;
    for (const auto& event : base.Events) {
        known.emplace(Url_Key(event.Url), event.Etag);
    }
    return std::any_of(events.begin(), events.end(), [&known](const Remote_Event& event) {
        return known.contains({Url_Key(event.Url), event.Etag});
    });
}

}  // namespace

std::vector<Remote_Event> Known_Events(const std::vector<Synced_Event>& events) {
    std::vector<Remote_Event> known;
    for (const auto& event : events) {
        Remote_Event remote;
        remote.Url = event.Url;
        remote.Etag = event.Etag;
        remote.Read.Reading = event.Ours ? Event_Reading::Taken : Event_Reading::Not_Yearly_All_Day;
        remote.Read.Uid = event.Uid;
        known.push_back(std::move(remote));
    }
    return known;
}

std::vector<Remote_Event> Read_All_Events(CalDAV_Client& client, const std::string& calendar_url) {
    std::vector<Remote_Event> remote;
    for (auto& event : client.Read_Events(calendar_url)) {
        remote.push_back(Remote_From(event));
    }
    return remote;
}

Server_Snapshot Read_Server_Snapshot(CalDAV_Client& client, const std::string& calendar_url,
                                     const Sync_State& base) {
    Server_Snapshot snapshot;
    snapshot.Calendar = client.Read_Calendar(calendar_url);
    const CalDAV_Calendar& calendar = snapshot.Calendar;
    const bool unchanged_there = calendar.Sync_Token.empty()
                                     ? !calendar.Ctag.empty() && calendar.Ctag == base.Ctag
                                     : calendar.Sync_Token == base.Sync_Token;
    if (unchanged_there) {
        snapshot.Events = Known_Events(base.Events);
        return snapshot;
    }
    if (!base.Sync_Token.empty() && !calendar.Sync_Token.empty()) {
        if (auto changed = Read_Changed_Events(client, calendar_url, base)) {
            snapshot.Events = std::move(*changed);
            return snapshot;
        }
        // A refused token: the calendar may have been made anew at the same
        // address, or the server lost its history. Only the first is
        // compared afresh: else every edit there would meet the list's
        // version as a conflict, and every deletion there be undone.
        snapshot.Events = Read_All_Events(client, calendar_url);
        snapshot.Afresh = !Holds_A_Known_Event(snapshot.Events, base);
        return snapshot;
    }
    snapshot.Events = Read_All_Events(client, calendar_url);
    return snapshot;
}

}  // namespace tessaly
