#include "sync/sync_plan.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <set>

#include "core/entry_attributes.h"

namespace tessaly {

namespace {

// The server's version of an entry in the list's place: the list's own
// attributes (the entry's lead, its UID) stay.
TName_And_Event_Data Take_Remote(const TName_And_Event_Data& local,
                                 const TName_And_Event_Data& remote) {
    TName_And_Event_Data entry = local;
    entry.Name = remote.Name;
    entry.Orig_Date = remote.Orig_Date;
    entry.Event_Type = remote.Event_Type;
    entry.Comments = remote.Comments;
    Entry_Attributes attributes = Read_Entry_Attributes(local);
    attributes.Year_Unknown = Read_Entry_Attributes(remote).Year_Unknown;
    Write_Entry_Attributes(entry, attributes);
    return entry;
}

class Planner {
public:
    Planner(const std::string& calendar_url,
            const std::function<Conflict_Choice(const Sync_Conflict&)>& decide,
            const std::function<std::string(const TName_And_Event_Data&)>& new_uid)
        : calendar_url_(calendar_url), decide_(decide), new_uid_(new_uid) {}

    Sync_Plan plan;

    // UIDs the list's entries carry are never handed out again.
    void Use(const std::string& uid) { used_.insert(uid); }
    std::string Fresh_Uid(const TName_And_Event_Data& entry) {
        const std::string base = new_uid_(entry);
        std::string uid = base;
        for (int copy = 2; used_.contains(uid); ++copy) {
            uid = base + "-" + std::to_string(copy);
        }
        used_.insert(uid);
        return uid;
    }

    bool Has_Room() const {
        return plan.Entries.size() < static_cast<std::size_t>(Event_Array_Size);
    }

    void Keep(const std::string& uid, const Remote_Event& remote) {
        plan.Kept.push_back({uid, remote.Url, remote.Etag, Content_Hash(remote.Read.Entry)});
    }

    void Put_New(const std::string& uid, const TName_And_Event_Data& entry) {
        plan.Puts.push_back({uid, Event_Url(calendar_url_, uid), std::nullopt, entry});
    }

    void Add_Remote(const std::string& uid, const Remote_Event& remote) {
        if (!Has_Room()) {
            ++plan.No_Room;
            return;
        }
        TName_And_Event_Data entry = remote.Read.Entry;
        Write_Entry_Uid(entry, uid);
        plan.Entries.push_back(std::move(entry));
        ++plan.Taken_From_Server;
        plan.List_Changed = true;
        Keep(uid, remote);
    }

    void Take(const std::string& uid, const TName_And_Event_Data& local,
              const Remote_Event& remote) {
        plan.Entries.push_back(Take_Remote(local, remote.Read.Entry));
        if (Content_Hash(remote.Read.Entry) != Content_Hash(local)) {
            ++plan.Taken_From_Server;
            plan.List_Changed = true;
        }
        Keep(uid, remote);
    }

    // Both sides hold the entry, each changed.
    void Both_Changed(const std::string& uid, const TName_And_Event_Data& local,
                      const Remote_Event& remote, const Synced_Event* state) {
        ++plan.Conflicts;
        const Conflict_Choice choice = decide_({uid, local, remote.Read.Entry});
        if (choice == Conflict_Choice::Keep_Mine) {
            plan.Puts.push_back({uid, remote.Url, remote.Etag, local});
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
            const std::string mine_uid = Fresh_Uid(mine);
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
    std::set<std::string> used_;
};

}  // namespace

std::string Content_Hash(const TName_And_Event_Data& entry) {
    // 64-bit FNV-1a: the state file keeps 16 hex digits, not the text.
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : Entry_Event_Content(entry)) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char text[20];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

Sync_Plan Plan_Sync(const std::vector<TName_And_Event_Data>& local,
                    const std::vector<Synced_Event>& state, const std::vector<Remote_Event>& remote,
                    const std::string& calendar_url,
                    const std::function<Conflict_Choice(const Sync_Conflict&)>& decide,
                    const std::function<std::string(const TName_And_Event_Data&)>& new_uid) {
    std::map<std::string, const Synced_Event*> last;
    for (const auto& event : state) {
        last.emplace(event.Uid, &event);
    }
    std::map<std::string, const Remote_Event*> there;
    std::set<std::string> foreign;  // ours once, now an event the list cannot hold
    Planner planner(calendar_url, decide, new_uid);
    Sync_Plan& plan = planner.plan;
    for (const auto& event : remote) {
        if (event.Read.Reading != Event_Reading::Taken) {
            ++plan.Not_Taken;
            if (!event.Read.Uid.empty()) {
                foreign.insert(event.Read.Uid);
            }
            continue;
        }
        there.emplace(event.Read.Uid, &event);
    }

    for (const auto& entry : local) {
        if (const auto uid = Read_Entry_Uid(entry)) {
            planner.Use(*uid);
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

        if (foreign.contains(*uid)) {
            // Left alone on both sides while the server's event is not one
            // the list can hold.
            plan.Entries.push_back(entry);
            if (synced != nullptr) {
                plan.Kept.push_back(*synced);
            }
            continue;
        }
        if (synced == nullptr) {
            if (server == nullptr) {
                plan.Entries.push_back(entry);
                planner.Put_New(*uid, entry);
            } else if (Content_Hash(server->Read.Entry) == hash) {
                plan.Entries.push_back(entry);
                planner.Keep(*uid, *server);
            } else {
                planner.Both_Changed(*uid, entry, *server, nullptr);
            }
            continue;
        }
        const bool changed_here = hash != synced->Content_Hash;
        if (server == nullptr) {
            if (changed_here) {
                planner.Deleted_There(*uid, entry);
            } else {
                ++plan.Removed_By_Server;
                plan.List_Changed = true;
            }
            continue;
        }
        const bool changed_there = server->Etag != synced->Etag;
        if (!changed_there && !changed_here) {
            plan.Entries.push_back(entry);
            plan.Kept.push_back(*synced);
        } else if (!changed_there) {
            plan.Entries.push_back(entry);
            plan.Puts.push_back({*uid, server->Url, server->Etag, entry});
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
        } else if (server->Etag == state_at->second->Etag) {
            plan.Deletes.push_back({uid, server->Url, server->Etag});
        } else {
            planner.Deleted_Here(uid, *server);
        }
    }
    // State of an event that is gone from both sides goes with it.
    return plan;
}

}  // namespace tessaly
