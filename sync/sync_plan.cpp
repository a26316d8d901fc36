#include "sync/sync_plan.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <set>

#include "core/entry_attributes.h"
#include "sync/event_patch.h"
#include "sync/url_key.h"

namespace tessaly {

namespace {

// The server's version of an entry in the list's place, its lead too: the
// list's other attributes (its UID) stay.
TName_And_Event_Data Take_Remote(const TName_And_Event_Data& local,
                                 const TName_And_Event_Data& remote) {
    TName_And_Event_Data entry = local;
    entry.Name = remote.Name;
    entry.Orig_Date = remote.Orig_Date;
    entry.Event_Type = remote.Event_Type;
    entry.Comments = remote.Comments;
    Entry_Attributes attributes = Read_Entry_Attributes(local);
    const Entry_Attributes there = Read_Entry_Attributes(remote);
    attributes.Year_Unknown = there.Year_Unknown;
    attributes.Own_Lead = there.Own_Lead;
    Write_Entry_Attributes(entry, attributes);
    return entry;
}

class Planner {
public:
    Planner(const std::string& calendar_url,
            const std::function<Conflict_Choice(const Sync_Conflict&)>& decide,
            const std::function<std::string(const TName_And_Event_Data&)>& new_uid,
            const Default_Alarm& alarm)
        : calendar_url_(calendar_url),
          decide_(decide),
          new_uid_(new_uid),
          alarm_(alarm),
          alarm_text_(Default_Alarm_Text(alarm)) {}

    Sync_Plan plan;

    // UIDs the list's entries carry are never handed out again.
    void Use(const std::string& uid) { used_.insert(uid); }
    void Server_Has(const std::string& uid) { on_server_.insert(uid); }
    // A new entry's UID may meet an event a sync cut short wrote for it;
    // the second version of a conflict must meet none.
    std::string Fresh_Uid(const TName_And_Event_Data& entry, bool new_there = false) {
        const std::string base = new_uid_(entry);
        std::string uid = base;
        for (int copy = 2; used_.contains(uid) || (new_there && on_server_.contains(uid)); ++copy) {
            uid = base + "-" + std::to_string(copy);
        }
        used_.insert(uid);
        return uid;
    }

    bool Has_Room() const {
        return plan.Entries.size() < static_cast<std::size_t>(Event_Array_Size);
    }

    const std::string& Alarm_Text() const { return alarm_text_; }

    // The server's event agrees with the list's `entry`: kept, or written
    // where it lacks the alarms of ours it should carry.
    void Keep(const std::string& uid, const TName_And_Event_Data& entry,
              const Remote_Event& remote) {
        if (!remote.Data.empty() && !Carries_Own_Alarms(remote.Data, entry, alarm_)) {
            plan.Puts.push_back({uid, remote.Url, remote.Etag, entry, remote.Data});
            return;
        }
        plan.Kept.push_back(
            {uid, remote.Url, remote.Etag, Content_Hash(remote.Read.Entry), true, alarm_text_});
    }

    void Put_New(const std::string& uid, const TName_And_Event_Data& entry) {
        plan.Puts.push_back({uid, Event_Url(calendar_url_, uid), std::nullopt, entry, {}});
    }

    void Add_Remote(const std::string& uid, const Remote_Event& remote) {
        if (!Has_Room()) {
            ++plan.No_Room;
            return;
        }
        TName_And_Event_Data entry = remote.Read.Entry;
        Write_Entry_Uid(entry, uid);
        plan.Entries.push_back(entry);
        ++plan.Taken_From_Server;
        plan.List_Changed = true;
        Keep(uid, entry, remote);
    }

    void Take(const std::string& uid, const TName_And_Event_Data& local,
              const Remote_Event& remote) {
        const TName_And_Event_Data taken = Take_Remote(local, remote.Read.Entry);
        plan.Entries.push_back(taken);
        if (Content_Hash(remote.Read.Entry) != Content_Hash(local)) {
            ++plan.Taken_From_Server;
            plan.List_Changed = true;
        }
        Keep(uid, taken, remote);
    }

    // Both sides hold the entry, each changed.
    void Both_Changed(const std::string& uid, const TName_And_Event_Data& local,
                      const Remote_Event& remote, const Synced_Event* state) {
        ++plan.Conflicts;
        const Conflict_Choice choice = decide_({uid, local, remote.Read.Entry});
        if (choice == Conflict_Choice::Keep_Mine) {
            plan.Puts.push_back({uid, remote.Url, remote.Etag, local, remote.Data});
            plan.Entries.push_back(local);
        } else if (choice == Conflict_Choice::Keep_Theirs) {
            Take(uid, local, remote);
        } else if (!Has_Room()) {
            // No room for the second: both sides stay as they are, and the
            // next sync asks again.
            plan.Entries.push_back(local);
            if (state != nullptr) {
                plan.Kept.push_back(*state);
            }
        } else {
            TName_And_Event_Data mine = local;
            const std::string mine_uid = Fresh_Uid(mine, true);
            Write_Entry_Uid(mine, mine_uid);
            plan.Entries.push_back(mine);
            Put_New(mine_uid, mine);
            Take(uid, local, remote);
            plan.List_Changed = true;
        }
    }

    // Edited in the list, deleted on the server.
    void Deleted_There(const std::string& uid, const TName_And_Event_Data& local) {
        ++plan.Conflicts;
        if (decide_({uid, local, std::nullopt}) == Conflict_Choice::Keep_Theirs) {
            ++plan.Removed_By_Server;
            plan.List_Changed = true;
            return;
        }
        plan.Entries.push_back(local);
        Put_New(uid, local);
    }

    // Deleted on the server, unchanged in the list.
    void Removed_There(const std::string& uid, const TName_And_Event_Data& local,
                       Deletions deletions) {
        if (deletions == Deletions::Keep_Everything) {
            plan.Entries.push_back(local);
            Put_New(uid, local);
            return;
        }
        ++plan.Removed_By_Server;
        ++plan.Removed_Here_Unasked;
        plan.List_Changed = true;
    }

    // Deleted in the list, unchanged on the server.
    void Removed_Here(const std::string& uid, const Remote_Event& remote, Deletions deletions) {
        if (deletions == Deletions::Keep_Everything) {
            Add_Remote(uid, remote);
            return;
        }
        plan.Deletes.push_back({uid, remote.Url, remote.Etag});
        ++plan.Deleted_There_Unasked;
    }

    // Deleted in the list, edited on the server.
    void Deleted_Here(const std::string& uid, const Remote_Event& remote) {
        ++plan.Conflicts;
        if (decide_({uid, std::nullopt, remote.Read.Entry}) == Conflict_Choice::Keep_Mine) {
            plan.Deletes.push_back({uid, remote.Url, remote.Etag});
            return;
        }
        Add_Remote(uid, remote);
    }

private:
    const std::string& calendar_url_;
    const std::function<Conflict_Choice(const Sync_Conflict&)>& decide_;
    const std::function<std::string(const TName_And_Event_Data&)>& new_uid_;
    const Default_Alarm& alarm_;
    std::string alarm_text_;
    std::set<std::string> used_;
    std::set<std::string> on_server_;
};

}  // namespace

namespace {

// 64-bit FNV-1a: the state file keeps 16 hex digits, not the text.
std::string Hash_Text(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char digits[20];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
    return digits;
}

}  // namespace

std::string Content_Hash(const TName_And_Event_Data& entry) {
    // Fields apart by a byte no stored text holds.
    std::string meaning = entry.Name;
    meaning += '\x1F';
    meaning += std::to_string(entry.Orig_Date);
    meaning += '\x1F';
    meaning += entry.Event_Type;
    meaning += '\x1F';
    meaning += entry.Comments;
    meaning += '\x1F';
    const Entry_Attributes attributes = Read_Entry_Attributes(entry);
    meaning += attributes.Year_Unknown ? '1' : '0';
    // Only where there is one: an entry without a lead keeps the hash states
    // recorded before leads were synced.
    if (attributes.Own_Lead) {
        meaning += "\x1Flead=" + std::to_string(*attributes.Own_Lead);
    }
    return Hash_Text(meaning);
}

bool Has_Content_Hash(const TName_And_Event_Data& entry, std::string_view recorded) {
    if (recorded.starts_with(Legacy_Hash_Prefix)) {
        // The older state hashed the event's text as this version writes it.
        return Hash_Text(Entry_Event_Content(entry)) == recorded.substr(Legacy_Hash_Prefix.size());
    }
    return Content_Hash(entry) == recorded;
}

std::optional<Deletion_Question> Check_Deletions(const Sync_Plan& plan) {
    const auto too_many = [](int deleted, int side) {
        return deleted > 0 &&
               (deleted >= side || (deleted > Guard_Least_Deletions && 4 * deleted > side));
    };
    if (!too_many(plan.Removed_Here_Unasked, plan.Local_Count) &&
        !too_many(plan.Deleted_There_Unasked, plan.Server_Count)) {
        return std::nullopt;
    }
    return Deletion_Question{plan.Removed_Here_Unasked, plan.Local_Count,
                             plan.Deleted_There_Unasked, plan.Server_Count};
}

Sync_Plan Plan_Sync(const std::vector<TName_And_Event_Data>& local,
                    const std::vector<Synced_Event>& state, const std::vector<Remote_Event>& remote,
                    const std::string& calendar_url,
                    const std::function<Conflict_Choice(const Sync_Conflict&)>& decide,
                    const std::function<std::string(const TName_And_Event_Data&)>& new_uid,
                    Deletions deletions, const Default_Alarm& alarm) {
    std::map<std::string, const Synced_Event*> last;
    std::map<std::string, const Synced_Event*> last_at_url;
    for (const auto& event : state) {
        last.emplace(event.Uid, &event);
        last_at_url.emplace(Url_Key(event.Url), &event);
    }
    std::map<std::string, const Remote_Event*> there;
    // Ours once, now an event the list cannot hold.
    std::map<std::string, const Remote_Event*> foreign;
    // Events the server listed but could not give: whatever they hold now,
    // they are not deleted there, and nothing is decided about them.
    std::set<std::string> unknown;
    Planner planner(calendar_url, decide, new_uid, alarm);
    Sync_Plan& plan = planner.plan;
    for (const auto& event : remote) {
        if (event.Read.Reading != Event_Reading::Taken) {
            ++plan.Not_Taken;
            if (!event.Read.Uid.empty() &&
                event.Read.Reading == Event_Reading::Not_Yearly_All_Day) {
                foreign.emplace(event.Read.Uid, &event);
            } else if (const auto at = last_at_url.find(Url_Key(event.Url));
                       at != last_at_url.end()) {
                unknown.insert(at->second->Uid);
            }
            continue;
        }
        there.emplace(event.Read.Uid, &event);
    }
    plan.Local_Count = static_cast<int>(local.size());
    plan.Server_Count = static_cast<int>(there.size());

    for (const auto& entry : local) {
        if (const auto uid = Read_Entry_Uid(entry)) {
            planner.Use(*uid);
        }
    }
    for (const auto& event : remote) {
        if (!event.Read.Uid.empty()) {
            planner.Server_Has(event.Read.Uid);
        }
    }
    std::set<std::string> seen;
    for (TName_And_Event_Data entry : local) {
        std::optional<std::string> uid = Read_Entry_Uid(entry);
        if (!uid || seen.contains(*uid)) {
            // New here, or a copy of another entry: an identity of its own.
            uid = planner.Fresh_Uid(entry);
            if (!Write_Entry_Uid(entry, *uid)) {
                ++plan.Without_Uid_Room;
                plan.Entries.push_back(entry);
                continue;
            }
            plan.List_Changed = true;
        }
        seen.insert(*uid);
        const auto state_at = last.find(*uid);
        const Synced_Event* synced = state_at == last.end() ? nullptr : state_at->second;
        const auto remote_at = there.find(*uid);
        const Remote_Event* server = remote_at == there.end() ? nullptr : remote_at->second;
        const std::string hash = Content_Hash(entry);

        if (const auto other = foreign.find(*uid); other != foreign.end()) {
            // Left alone on both sides while the server's event is not one
            // the list can hold. Its ETag is kept, so that a later change
            // there is seen as one, and nothing is written over it.
            plan.Entries.push_back(entry);
            if (synced != nullptr) {
                plan.Kept.push_back({*uid, other->second->Url, other->second->Etag,
                                     synced->Content_Hash, false, synced->Alarm});
            }
            continue;
        }
        if (unknown.contains(*uid)) {
            plan.Entries.push_back(entry);
            plan.Kept.push_back(*synced);
            continue;
        }
        if (synced == nullptr) {
            if (server == nullptr) {
                plan.Entries.push_back(entry);
                planner.Put_New(*uid, entry);
            } else if (Content_Hash(server->Read.Entry) == hash) {
                plan.Entries.push_back(entry);
                planner.Keep(*uid, entry, *server);
            } else {
                planner.Both_Changed(*uid, entry, *server, nullptr);
            }
            continue;
        }
        const bool changed_here = !Has_Content_Hash(entry, synced->Content_Hash);
        if (server == nullptr) {
            if (changed_here) {
                planner.Deleted_There(*uid, entry);
            } else {
                planner.Removed_There(*uid, entry, deletions);
            }
            continue;
        }
        // Another client's change that leaves what the list holds as it was
        // (an alarm added, say) is no change of the entry.
        const bool changed_there = server->Etag != synced->Etag &&
                                   !Has_Content_Hash(server->Read.Entry, synced->Content_Hash);
        if (!changed_there && !changed_here && synced->Alarm != planner.Alarm_Text()) {
            // Another default alarm than the one written: written anew.
            plan.Entries.push_back(entry);
            plan.Puts.push_back({*uid, server->Url, server->Etag, entry, server->Data});
        } else if (!changed_there && !changed_here) {
            plan.Entries.push_back(entry);
            // The server's ETag, and this version's hash for an older one.
            Synced_Event kept = *synced;
            kept.Url = server->Url;
            kept.Etag = server->Etag;
            kept.Content_Hash = hash;
            plan.Kept.push_back(std::move(kept));
        } else if (!changed_there) {
            plan.Entries.push_back(entry);
            plan.Puts.push_back({*uid, server->Url, server->Etag, entry, server->Data});
        } else if (!changed_here || Content_Hash(server->Read.Entry) == hash) {
            planner.Take(*uid, entry, *server);
        } else {
            planner.Both_Changed(*uid, entry, *server, synced);
        }
    }

    for (const auto& [uid, server] : there) {
        if (seen.contains(uid)) {
            continue;
        }
        const auto state_at = last.find(uid);
        if (state_at == last.end()) {
            planner.Add_Remote(uid, *server);
        } else if (server->Etag == state_at->second->Etag ||
                   Has_Content_Hash(server->Read.Entry, state_at->second->Content_Hash)) {
            planner.Removed_Here(uid, *server, deletions);
        } else {
            planner.Deleted_Here(uid, *server);
        }
    }
    for (const auto& uid : unknown) {
        if (!seen.contains(uid)) {
            plan.Kept.push_back(*last.at(uid));
        }
    }
    // State of an event that is gone from both sides goes with it.
    return plan;
}

}  // namespace tessaly
