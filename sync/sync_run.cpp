#include "sync/sync_run.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "core/entry_attributes.h"
#include "sync/event_patch.h"
#include "sync/event_resource.h"
#include "sync/server_snapshot.h"
#include "sync/url_key.h"

namespace tessaly {

namespace {

constexpr int Most_Rounds = 3;

bool Stops_The_Sync(const CalDAV_Error& error) {
    switch (error.Failure()) {
        case CalDAV_Failure::Unreachable:
        case CalDAV_Failure::Timed_Out:
        case CalDAV_Failure::Unauthorized:
            return true;
        default:
            // Anything else answers for this event alone.
            return false;
    }
}

bool Failed_For_Now(const CalDAV_Error& error) {
    return error.Failure() == CalDAV_Failure::Server_Error;
}

std::string Name_Of(const Sync_Put& put) {
    return put.Entry.Name.empty() ? put.Url : put.Entry.Name;
}

// The writes of one plan. Events a write found changed meanwhile (412) are
// left to the next round; others the server refused are skipped.
class Writer {
public:
    Writer(CalDAV_Client& client, const std::string& calendar_url, std::chrono::sys_seconds stamp,
           const Default_Alarm& alarm, Sync_Outcome& outcome)
        : client_(client),
          calendar_url_(calendar_url),
          stamp_(stamp),
          alarm_(alarm),
          alarm_text_(Default_Alarm_Text(alarm)),
          outcome_(outcome) {}

    // The state records of events whose write must be tried again: as the
    // last agreement had them, so that the next round sees the change.
    std::vector<Synced_Event> Retry;
    bool Wrote = false;
    std::set<std::string>* Deleted_Urls = nullptr;

    void Apply(const Sync_Plan& plan, const std::map<std::string, const Synced_Event*>& last) {
        const auto keep_last = [&](const std::string& uid) {
            if (const auto at = last.find(uid); at != last.end()) {
                Retry.push_back(*at->second);
            }
        };
        for (const auto& removal : plan.Deletes) {
            try {
                client_.Delete_Event(removal.Url, removal.Etag);
                ++outcome_.Deleted_There;
                Deleted_Urls->insert(Url_Key(removal.Url));
                Wrote = true;
            } catch (const CalDAV_Error& error) {
                if (Stops_The_Sync(error)) {
                    throw;
                }
                if (error.Failure() == CalDAV_Failure::Not_Found) {
                    continue;  // gone already is what was wanted
                }
                if (error.Failure() != CalDAV_Failure::Precondition_Failed) {
                    outcome_.Skipped.push_back({removal.Url, error.what(), Failed_For_Now(error)});
                }
                keep_last(removal.Uid);
            }
        }
        const std::map<std::string, std::string> current = Current_Data(plan.Puts);
        std::vector<std::string> without_etag;
        std::map<std::string, std::size_t> state_of_url;
        for (const auto& put : plan.Puts) {
            std::string etag;
            const std::string_view server = Server_Text(put, current);
            const std::string text = Event_Text(put, server);
            if (put.Etag && !server.empty() && text == server) {
                // Already as it would be written (a new default alarm that
                // this event does not take): nothing to send.
                outcome_.State.Events.push_back(
                    {put.Uid, put.Url, *put.Etag, Content_Hash(put.Entry), true, alarm_text_});
                continue;
            }
            try {
                etag = client_.Put_Event(put.Url, text, put.Etag);
            } catch (const CalDAV_Error& error) {
                if (Stops_The_Sync(error)) {
                    throw;
                }
                if (error.Failure() != CalDAV_Failure::Precondition_Failed) {
                    outcome_.Skipped.push_back({Name_Of(put), error.what(), Failed_For_Now(error)});
                }
                keep_last(put.Uid);
                continue;
            }
            ++outcome_.Sent;
            Wrote = true;
            if (etag.empty()) {
                without_etag.push_back(put.Url);
                state_of_url[Url_Key(put.Url)] = outcome_.State.Events.size();
            }
            outcome_.State.Events.push_back(
                {put.Uid, put.Url, etag, Content_Hash(put.Entry), true, alarm_text_});
        }
        if (!without_etag.empty()) {
            for (const auto& event : client_.Read_Events(calendar_url_, without_etag)) {
                if (const auto at = state_of_url.find(Url_Key(event.Url));
                    at != state_of_url.end()) {
                    outcome_.State.Events[at->second].Etag = event.Etag;
                }
            }
            // An event whose ETag could not be learnt is left out of the
            // state: the next sync finds it with the same content and takes
            // it as agreed.
            std::erase_if(outcome_.State.Events,
                          [](const auto& event) { return event.Etag.empty(); });
        }
    }

private:
    // The server's text of each event a put replaces and this sync has not
    // read: one request for them all.
    std::map<std::string, std::string> Current_Data(const std::vector<Sync_Put>& puts) {
        std::vector<std::string> unread;
        for (const auto& put : puts) {
            if (put.Etag && put.Current_Data.empty()) {
                unread.push_back(put.Url);
            }
        }
        std::map<std::string, std::string> data;
        if (!unread.empty()) {
            for (auto& event : client_.Read_Events(calendar_url_, unread)) {
                if (event.Problem.empty()) {
                    data[Url_Key(event.Url)] = std::move(event.Data);
                }
            }
        }
        return data;
    }

    // The server's text of the event a put replaces; empty for a new one or
    // one that could not be read.
    static std::string_view Server_Text(const Sync_Put& put,
                                        const std::map<std::string, std::string>& current) {
        if (!put.Etag) {
            return {};
        }
        if (!put.Current_Data.empty()) {
            return put.Current_Data;
        }
        if (const auto at = current.find(Url_Key(put.Url)); at != current.end()) {
            return at->second;
        }
        return {};
    }

    std::string Event_Text(const Sync_Put& put, std::string_view server) {
        if (put.Etag) {
            // What other clients keep in the event (alarms, categories,
            // attendees, its class) stays as they wrote it.
            if (auto patched = Patch_Event(server, put.Entry, stamp_, alarm_)) {
                return std::move(*patched);
            }
        }
        return Entry_Event(put.Entry, put.Uid, stamp_, alarm_);
    }

    CalDAV_Client& client_;
    const std::string& calendar_url_;
    std::chrono::sys_seconds stamp_;
    const Default_Alarm& alarm_;
    std::string alarm_text_;
    Sync_Outcome& outcome_;
};

// The token to keep after a sync that wrote: the server's newest where
// everything changed since the one read before the writes is this sync's
// own writes; otherwise that earlier one, so that the next sync reads the
// writes again and any other client's made meanwhile. A token is always
// kept: a calendar made anew at the same address then refuses it.
std::string Token_After_Writes(CalDAV_Client& client, const std::string& calendar_url,
                               const std::string& before, const Sync_State& state,
                               const std::set<std::string>& deleted_urls) {
    CalDAV_Changes since;
    try {
        since = client.Read_Changes(calendar_url, before);
    } catch (const CalDAV_Error& error) {
        if (Stops_The_Sync(error)) {
            throw;
        }
        return before;
    }
    std::map<std::string, std::string> etags;
    for (const auto& event : state.Events) {
        etags[Url_Key(event.Url)] = event.Etag;
    }
    for (const auto& event : since.Changed) {
        const auto at = etags.find(Url_Key(event.Url));
        if (at == etags.end() || at->second != event.Etag) {
            return before;
        }
    }
    for (const auto& url : since.Removed) {
        if (!deleted_urls.contains(Url_Key(url))) {
            return before;
        }
    }
    return since.Sync_Token;
}

void Count(Sync_Outcome& outcome, const Sync_Plan& plan) {
    outcome.Entries = plan.Entries;
    outcome.List_Changed = outcome.List_Changed || plan.List_Changed;
    outcome.Taken += plan.Taken_From_Server;
    outcome.Removed_Here += plan.Removed_By_Server;
    outcome.Conflicts += plan.Conflicts;
    outcome.Not_Taken = plan.Not_Taken;
    outcome.No_Room = plan.No_Room;
    outcome.Without_Uid_Room = plan.Without_Uid_Room;
}

}  // namespace

Sync_Outcome Run_Sync(CalDAV_Client& client, const std::string& calendar_url,
                      const std::vector<TName_And_Event_Data>& local, const Sync_State& state,
                      const std::function<Conflict_Choice(const Sync_Conflict&)>& decide,
                      std::chrono::sys_seconds stamp, const Sync_Run_Options& options) {
    const int requests_before = client.Requests_Sent();
    Sync_Outcome outcome;
    // Another calendar than last time, or one just made: nothing of the old
    // state holds. Nor does it for an empty list: a data file lost or made
    // anew would otherwise delete every event of the calendar. The list
    // takes them instead.
    Sync_State base;
    if (Url_Key(state.Calendar_Url) == Url_Key(calendar_url) &&
        (!local.empty() || options.Emptied_On_Purpose) && !options.New_Calendar) {
        base = state;
    } else {
        outcome.Compared_Afresh = !state.Events.empty();
    }
    Server_Snapshot snapshot = Read_Server_Snapshot(client, calendar_url, base);
    if (snapshot.Afresh) {
        base.Events.clear();
        outcome.Compared_Afresh = true;
    }
    for (const auto& event : snapshot.Events) {
        if (event.Read.Reading == Event_Reading::Unreadable && event.Data.empty()) {
            outcome.Skipped.push_back({event.Url, "the server could not give this event", true});
        }
    }

    // The guard weighs the deletions no question is asked for, before
    // anything is asked or written.
    Deletions deletions = Deletions::Apply;
    const auto keep_both = [](const Sync_Conflict&) { return Conflict_Choice::Keep_Both; };
    const Sync_Plan dry = Plan_Sync(local, base.Events, snapshot.Events, calendar_url, keep_both,
                                    New_Entry_Uid, Deletions::Apply, options.Alarm);
    if (const auto question = Check_Deletions(dry)) {
        const Deletion_Choice choice =
            options.Ask_Deletions ? options.Ask_Deletions(*question) : Deletion_Choice::Stop;
        if (choice == Deletion_Choice::Stop) {
            outcome.Entries = local;
            outcome.State = state;
            outcome.Stopped = question;
            outcome.Requests = client.Requests_Sent() - requests_before;
            return outcome;
        }
        if (choice == Deletion_Choice::Keep_Everything) {
            deletions = Deletions::Keep_Everything;
            // Events known only from the state carry no entry to take back.
            if (std::any_of(
                    snapshot.Events.begin(), snapshot.Events.end(), [](const Remote_Event& event) {
                        return event.Read.Reading == Event_Reading::Taken && event.Data.empty();
                    })) {
                snapshot.Events = Read_All_Events(client, calendar_url);
            }
        }
    }

    std::vector<TName_And_Event_Data> entries = local;
    std::vector<Synced_Event> last = base.Events;
    std::vector<Remote_Event> remote = std::move(snapshot.Events);
    bool wrote = false;
    std::set<std::string> deleted_urls;
    for (int round = 1;; ++round) {
        const Sync_Plan plan = Plan_Sync(entries, last, remote, calendar_url, decide, New_Entry_Uid,
                                         deletions, options.Alarm);
        Count(outcome, plan);
        std::map<std::string, const Synced_Event*> last_of_uid;
        for (const auto& event : last) {
            last_of_uid.emplace(event.Uid, &event);
        }
        outcome.State.Events = plan.Kept;
        Writer writer(client, calendar_url, stamp, options.Alarm, outcome);
        writer.Deleted_Urls = &deleted_urls;
        writer.Apply(plan, last_of_uid);
        wrote = wrote || writer.Wrote;
        if (writer.Retry.empty() || round == Most_Rounds) {
            // Left for the next sync: the state keeps the last agreement.
            for (auto& event : writer.Retry) {
                outcome.State.Events.push_back(std::move(event));
            }
            break;
        }
        // Events changed meanwhile: read again, and merged like any change
        // from the server.
        entries = plan.Entries;
        last = outcome.State.Events;
        last.insert(last.end(), writer.Retry.begin(), writer.Retry.end());
        remote = Read_All_Events(client, calendar_url);
        wrote = true;
    }

    outcome.State.Calendar_Url = calendar_url;
    outcome.State.Sync_Token = snapshot.Calendar.Sync_Token;
    if (!wrote) {
        outcome.State.Ctag = snapshot.Calendar.Ctag;
    } else if (!snapshot.Calendar.Sync_Token.empty()) {
        outcome.State.Sync_Token = Token_After_Writes(
            client, calendar_url, snapshot.Calendar.Sync_Token, outcome.State, deleted_urls);
    }
    outcome.Requests = client.Requests_Sent() - requests_before;
    return outcome;
}

}  // namespace tessaly
