#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "caldav/http_transport.h"
#include "sync/sync_account.h"
#include "sync/sync_run.h"

namespace tessaly {

// Where a front end keeps its list: the terminal tool's data file, or the
// window's list with its own save and undo.
class Sync_List {
public:
    virtual ~Sync_List() = default;
    // The list as it stands when the sync starts.
    virtual std::vector<TName_And_Event_Data> Entries() = 0;
    // Saves `after` through the front end's atomic save; `before` is the
    // list the sync started from, so that a list changed meanwhile can keep
    // those changes (Merge_Into_Changed_List). False where nothing was saved
    // (the front end has said why): the sync state is not kept either.
    virtual bool Save(const std::vector<TName_And_Event_Data>& before,
                      const std::vector<TName_And_Event_Data>& after) = 0;
};

struct Sync_Session_Hooks {
    // The transport to the account's server, with its password.
    std::function<std::unique_ptr<Http_Transport>()> Connect;
    // None keeps both versions of an entry changed on both sides.
    std::function<Conflict_Choice(const Sync_Conflict&)> Decide;
    // None stops a sync the guard stops.
    std::function<Deletion_Choice(const Deletion_Question&)> Ask_Deletions;
    // The contacts' dates the user hid (Read_Hidden_Contacts): never added.
    std::vector<std::string> Hidden_Contacts;
};

// What the account's address books did to the list in one sync.
struct Contacts_Outcome {
    int Added = 0;
    int Changed = 0;
    int Removed = 0;
    // Contacts the server could not give, or with a date that cannot be read.
    int Skipped = 0;
    // Dates past the list's 500 entries.
    int No_Room = 0;
    // The guard stopped the sync for the entries the books would remove.
    bool Stopped = false;
    // Books that could not be read, each with why: their entries stay.
    std::vector<std::pair<std::string, std::string>> Books_Not_Read;
};

struct Sync_Session_Result {
    enum class Kind {
        Synced,
        Stopped,         // the guard stopped it: nothing changed anywhere
        List_Not_Saved,  // the front end could not save the list
    };
    Kind Result = Kind::Synced;
    Sync_Outcome Outcome;
    Account_Calendar Calendar;
    Contacts_Outcome Contacts;
};

// One sync as both front ends run it:
// 1. every entry gets its identity (UID), and the list is saved with them
//    before any request, so that an edit made after a failed sync is still
//    known as the same entry by the next one;
// 2. the calendar is found from the address, or made (the account keeps
//    what was found);
// 3. the chosen address books are read and the list kept in step with them
//    (Plan_Contact_Entries), weighed by the mass-deletion guard;
// 4. the server is read, the plan made and weighed by the mass-deletion
//    guard, the server written (Run_Sync);
//    the address books win over the calendar for their entries' names, dates
//    and types: an edit of them there is set back and sent again;
// 5. the list is saved, then the states beside it.
// A failure of the server throws CalDAV_Error; nothing local has changed
// then but the identities of step 1.
Sync_Session_Result Run_Sync_Session(Sync_List& list, const CalDAV_Account& account,
                                     const std::filesystem::path& state_file,
                                     std::chrono::sys_seconds stamp,
                                     const Sync_Session_Hooks& hooks);

}  // namespace tessaly
