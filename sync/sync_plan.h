#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/event_list.h"
#include "sync/event_resource.h"

namespace tessaly {

// What the last sync left agreed on both sides, per event: kept in the sync
// state file.
struct Synced_Event {
    std::string Uid;
    std::string Url;
    std::string Etag;
    std::string Content_Hash;  // see Content_Hash
    // False once another client turned the event into one the list cannot
    // hold (weekly, an occurrence moved): the ETag is then the server's, so
    // that nothing is written over it, and the entry stays as it is here.
    bool Ours = true;
    // The account's default alarm (Default_Alarm_Text) the event was last
    // written or found right under: another one makes the sync write it.
    std::string Alarm = "none";

    bool operator==(const Synced_Event&) const = default;
};

struct Remote_Event {
    std::string Url;
    std::string Etag;
    Event_Entry Read;
    // The event as the server holds it; empty where it was not read in this
    // sync (known unchanged from the state).
    std::string Data;
};

// Both sides changed the same entry since the last sync (or one deleted what
// the other edited): none is the deleted side.
struct Sync_Conflict {
    std::string Uid;
    std::optional<TName_And_Event_Data> Mine;
    std::optional<TName_And_Event_Data> Theirs;
};

enum class Conflict_Choice { Keep_Mine, Keep_Theirs, Keep_Both };

// What becomes of entries deleted on one side since the last sync.
enum class Deletions {
    Apply,           // deleted on the other side too
    Keep_Everything  // brought back: sent to the server, or taken into the list
};

struct Sync_Put {
    std::string Uid;
    std::string Url;
    std::optional<std::string> Etag;  // none: a new event
    TName_And_Event_Data Entry;
    // The server's text of the event replaced, where this sync read it: the
    // write changes only what the list owns in it.
    std::string Current_Data;
};

struct Sync_Delete {
    std::string Uid;
    std::string Url;
    std::string Etag;
};

struct Sync_Plan {
    // The list after the sync: the local entries in their order (changed,
    // or gone where the server deleted them), then the server's new ones.
    // Every entry carries its UID.
    std::vector<TName_And_Event_Data> Entries;
    std::vector<Sync_Put> Puts;
    std::vector<Sync_Delete> Deletes;
    // The state of the events that no write touches; the writes add theirs.
    std::vector<Synced_Event> Kept;
    bool List_Changed = false;
    int Taken_From_Server = 0;  // added or changed in the list
    int Removed_By_Server = 0;
    int Conflicts = 0;
    int Not_Taken = 0;         // server events the list cannot hold
    int No_Room = 0;           // server events past the list's 500 entries
    int Without_Uid_Room = 0;  // local entries whose spare fields are all taken
    // The sides' sizes, for the mass-deletion guard: the list's entries and
    // the server's events of the list's kind.
    int Local_Count = 0;
    int Server_Count = 0;
    // Deletions no question was asked for: what the guard weighs.
    int Deleted_There_Unasked = 0;
    int Removed_Here_Unasked = 0;
};

// What an entry means, as 16 hex digits: its name, date, type, comment,
// whether its year is known and its own lead. Not the event's text: a new version of the
// program writing events differently is no change of the entry.
std::string Content_Hash(const TName_And_Event_Data& entry);
// Whether the entry still has the content a state recorded; reads the
// hashes an older version kept as well.
bool Has_Content_Hash(const TName_And_Event_Data& entry, std::string_view recorded);
// The prefix of a hash an older version of the state file kept.
inline constexpr std::string_view Legacy_Hash_Prefix = "v1:";

// The two-way merge of one sync, decided before anything is written:
// unchanged on one side means the other side's change wins; changed on both
// asks `decide` (a run without a window keeps both); identical changes on
// both sides are no conflict. An entry without a UID (or with one an earlier
// entry has) gets `new_uid(entry)`, with "-2", "-3"... added while another
// entry of the list has it. A UID that follows from the content lets a sync
// cut short after its writes, and a second list holding the same entries,
// meet the events already written instead of doubling them.
//
// `alarm` is the account's default alarm. An event met for the first time,
// or taken from the server, that does not carry the alarms of ours it
// should (Carries_Own_Alarms) is written with them; so is every event whose
// state recorded another default alarm. An event whose alarm of ours
// another client removed is otherwise left so.
Sync_Plan Plan_Sync(const std::vector<TName_And_Event_Data>& local,
                    const std::vector<Synced_Event>& state, const std::vector<Remote_Event>& remote,
                    const std::string& calendar_url,
                    const std::function<Conflict_Choice(const Sync_Conflict&)>& decide,
                    const std::function<std::string(const TName_And_Event_Data&)>& new_uid,
                    Deletions deletions = Deletions::Apply, const Default_Alarm& alarm = {});

// Deleting this many of a side's entries without a question stops a sync
// until the user says what to do: every entry of the side, or more than
// Guard_Least_Deletions that are more than a quarter of it. A lost list, a
// calendar emptied by another client or a list made anew beside an old
// state all look like mass deletions; a few entries deleted by hand do not.
inline constexpr int Guard_Least_Deletions = 5;

struct Deletion_Question {
    int Deleted_Here = 0;   // entries the sync would remove from the list
    int Local_Count = 0;    // entries in the list
    int Deleted_There = 0;  // events the sync would delete on the server
    int Server_Count = 0;   // events of ours on the server
};

// None where the plan's deletions stay under the guard.
std::optional<Deletion_Question> Check_Deletions(const Sync_Plan& plan);

}  // namespace tessaly
