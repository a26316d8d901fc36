// The entries' identities and the merge of a sync into a list changed
// meanwhile: the window uses them without the calendar client.
#include <map>
#include <optional>
#include <set>

#include "core/entry_attributes.h"
#include "sync/event_resource.h"
#include "sync/sync_run.h"

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

}  // namespace tessaly
