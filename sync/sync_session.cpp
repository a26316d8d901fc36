#include "sync/sync_session.h"

#include <algorithm>

#include "sync/contact_entries.h"
#include "sync/contact_read.h"
#include "sync/contacts_state.h"
#include "sync/sync_state.h"

namespace tessaly {

namespace {

// The counts of a second calendar step added to the first's.
void Add_Outcome(Sync_Outcome& total, Sync_Outcome&& more) {
    total.Entries = std::move(more.Entries);
    total.State = std::move(more.State);
    total.List_Changed = total.List_Changed || more.List_Changed;
    total.Sent += more.Sent;
    total.Deleted_There += more.Deleted_There;
    total.Taken += more.Taken;
    total.Removed_Here += more.Removed_Here;
    total.Conflicts += more.Conflicts;
    total.No_Room = more.No_Room;
    total.Not_Taken = more.Not_Taken;
    total.Without_Uid_Room = more.Without_Uid_Room;
    for (auto& skipped : more.Skipped) {
        total.Skipped.push_back(std::move(skipped));
    }
}

}  // namespace

Sync_Session_Result Run_Sync_Session(Sync_List& list, const CalDAV_Account& account,
                                     const std::filesystem::path& state_file,
                                     std::chrono::sys_seconds stamp,
                                     const Sync_Session_Hooks& hooks) {
    Sync_Session_Result result;
    std::vector<TName_And_Event_Data> entries = list.Entries();
    if (Give_Entries_Uids(entries)) {
        const std::vector<TName_And_Event_Data> before = list.Entries();
        if (!list.Save(before, entries)) {
            result.Result = Sync_Session_Result::Kind::List_Not_Saved;
            return result;
        }
        entries = list.Entries();
    }

    const std::unique_ptr<Http_Transport> transport = hooks.Connect();
    CalDAV_Client client(*transport, account.Server);
    result.Calendar = Find_Account_Calendar(client, account);

    // The address books first, so that this sync sends their new entries.
    const bool with_books = !account.Address_Books.empty();
    const std::filesystem::path contacts_file = Contacts_State_Path(state_file);
    Contact_Plan contacts;
    contacts.Entries = entries;
    std::optional<Deletion_Choice> books_answer;
    if (with_books) {
        const Contacts_State last = Load_Contacts_State(contacts_file);
        const std::vector<Book_Reading> readings =
            Read_Address_Books(client, account.Address_Books, last);
        contacts = Plan_Contact_Entries(entries, readings, hooks.Hidden_Contacts, last);
        if (const auto question = Check_Contact_Deletions(contacts)) {
            const Deletion_Choice choice =
                hooks.Ask_Deletions ? hooks.Ask_Deletions(*question) : Deletion_Choice::Stop;
            if (choice == Deletion_Choice::Stop) {
                result.Result = Sync_Session_Result::Kind::Stopped;
                result.Outcome.Entries = entries;
                result.Outcome.Stopped = question;
                result.Contacts.Stopped = true;
                result.Outcome.Requests = client.Requests_Sent();
                return result;
            }
            books_answer = choice;
            if (choice == Deletion_Choice::Keep_Everything) {
                contacts = Plan_Contact_Entries(entries, readings, hooks.Hidden_Contacts, last,
                                                Deletions::Keep_Everything);
            }
        }
        for (const auto& reading : readings) {
            if (!reading.Problem.empty()) {
                result.Contacts.Books_Not_Read.emplace_back(reading.Url, reading.Problem);
            }
        }
    }

    // An entry of a contact changed on both sides keeps the book's version.
    const auto decide = [&hooks](const Sync_Conflict& conflict) {
        if (conflict.Mine && Read_Contact_Source(*conflict.Mine)) {
            return Conflict_Choice::Keep_Mine;
        }
        return hooks.Decide ? hooks.Decide(conflict) : Conflict_Choice::Keep_Both;
    };
    Sync_Run_Options options;
    // Deletions in the calendar that only follow the books' removals the
    // user has allowed are not asked about again.
    options.Ask_Deletions = [&](const Deletion_Question& question) {
        if (books_answer && question.Deleted_Here == 0 &&
            question.Deleted_There <= contacts.Removed) {
            return *books_answer;
        }
        return hooks.Ask_Deletions ? hooks.Ask_Deletions(question) : Deletion_Choice::Stop;
    };
    options.New_Calendar = result.Calendar.Made;
    options.Alarm = account.Alarm;
    options.Emptied_On_Purpose =
        contacts.Entries.empty() && !entries.empty() && books_answer == Deletion_Choice::Go_On;
    result.Outcome = Run_Sync(client, result.Calendar.Url, contacts.Entries,
                              Load_Sync_State(state_file), decide, stamp, options);
    if (!result.Outcome.Stopped && with_books) {
        // What the calendar changed of the books' entries is set back, and
        // sent in the same sync.
        const Contact_Plan back =
            Plan_Contact_Entries(result.Outcome.Entries, Unchanged_Readings(contacts.State),
                                 hooks.Hidden_Contacts, contacts.State);
        if (back.List_Changed) {
            options.New_Calendar = false;
            Add_Outcome(result.Outcome, Run_Sync(client, result.Calendar.Url, back.Entries,
                                                 result.Outcome.State, decide, stamp, options));
            result.Outcome.List_Changed = true;
        }
    }
    // Finding the calendar is part of the cost.
    result.Outcome.Requests = client.Requests_Sent();
    if (result.Outcome.Stopped) {
        result.Result = Sync_Session_Result::Kind::Stopped;
        result.Outcome.Entries = entries;
        return result;
    }
    result.Contacts.Added = contacts.Added;
    result.Contacts.Changed = contacts.Changed;
    result.Contacts.Removed = contacts.Removed;
    result.Contacts.Skipped = contacts.Skipped;
    result.Contacts.No_Room = contacts.No_Room;
    const bool changed = result.Outcome.List_Changed || contacts.List_Changed;
    if (changed && !list.Save(entries, result.Outcome.Entries)) {
        result.Result = Sync_Session_Result::Kind::List_Not_Saved;
        return result;
    }
    // Without its state the next sync compares both sides afresh, which
    // loses nothing: a failure here is the caller's to say, not to undo.
    Save_Sync_State(state_file, result.Outcome.State);
    if (with_books) {
        Save_Contacts_State(contacts_file, contacts.State);
    }
    return result;
}

Account_Calendar Find_Account_Calendar(CalDAV_Client& client, const CalDAV_Account& account) {
    if (!account.Calendar_Url.empty()) {
        return {account.Calendar_Url, false, false};
    }
    const std::string home = client.Find_Calendar_Home(account.Server);
    for (const auto& calendar : client.List_Calendars(home)) {
        if (calendar.Takes_Events && calendar.Display_Name == Default_Calendar_Name) {
            return {calendar.Url, true, false};
        }
    }
    return {client.Make_Calendar(home, Default_Calendar_Name).Url, true, true};
}

}  // namespace tessaly
