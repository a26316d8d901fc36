// One sync of the list with the account's calendar.
#include <string>
#include <vector>

#include "app/sync_tool_actions.h"
#include "app/window_lock.h"
#include "core/atomic_file.h"
#include "core/data_file_session.h"
#include "sync/sync_run.h"
#include "sync/sync_session.h"
#include "sync/sync_state.h"

namespace tessaly::detail {

namespace {

std::string Count(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

void Say_Window_Open(const std::filesystem::path& file, std::ostream& err) {
    err << Sync_Tool_Name << ": The Tessaly window has the list open (\"" << file.string()
        << "\"); it syncs the list itself. Nothing was changed.\n";
}

void Say_Contacts(const Contacts_Outcome& contacts, bool quiet, std::ostream& out,
                  std::ostream& err) {
    if (!quiet) {
        out << "Address books: " << contacts.Added << " added, " << contacts.Changed << " changed, "
            << contacts.Removed << " removed, " << Count(contacts.Skipped, "contact", "contacts")
            << " skipped.\n";
    }
    if (contacts.Skipped > 0) {
        err << Sync_Tool_Name << ": " << Count(contacts.Skipped, "contact", "contacts")
            << " could not be read whole (the server could not give it, or a date is no date); "
               "the next change of it is read again.\n";
    }
    if (contacts.No_Room > 0) {
        err << Sync_Tool_Name << ": "
            << Count(contacts.No_Room, "contact's date", "contacts' dates")
            << " did not fit: the list holds 500 entries at most.\n";
    }
    for (const auto& [url, reason] : contacts.Books_Not_Read) {
        err << Sync_Tool_Name << ": The address book " << url
            << " could not be read, and its entries are kept: " << Terminal_Lines(reason) << "\n";
    }
}

void Say_Outcome(const Sync_Outcome& outcome, bool quiet, std::ostream& out, std::ostream& err) {
    if (!quiet) {
        out << "Synced: " << outcome.Sent << " sent, " << outcome.Deleted_There
            << " deleted there, " << outcome.Taken << " taken, " << outcome.Removed_Here
            << " removed here, " << Count(outcome.Conflicts, "conflict", "conflicts")
            << " kept both, " << Count(outcome.Not_Taken, "event", "events")
            << " not taken (no yearly all-day event), "
            << Count(static_cast<int>(outcome.Skipped.size()), "event", "events") << " skipped, "
            << Count(outcome.Requests, "request", "requests") << ".\n";
    }
    // Said even when quiet: each asks the user to look.
    if (outcome.Conflicts > 0) {
        err << Sync_Tool_Name << ": " << Count(outcome.Conflicts, "entry was", "entries were")
            << " changed both here and on the server: both versions are now in the list. "
               "Look them over in the window and delete the one you do not want.\n";
    }
    if (outcome.No_Room > 0) {
        err << Sync_Tool_Name << ": " << Count(outcome.No_Room, "event", "events")
            << " on the server did not fit: the list holds 500 entries at most.\n";
    }
    for (const auto& skipped : outcome.Skipped) {
        err << Sync_Tool_Name << ": \"" << skipped.Name
            << "\" was not synced: " << Terminal_Lines(skipped.Reason)
            << (skipped.Retried ? " The next sync tries it again.\n" : "\n");
    }
    if (outcome.Without_Uid_Room > 0) {
        err << Sync_Tool_Name << ": " << Count(outcome.Without_Uid_Room, "entry", "entries")
            << " could not be synced: their spare fields are all taken.\n";
    }
}

// The calendar found from the address is kept with the account, so that
// later syncs go to it straight away. Not kept is no failure: it is found
// again next time.
void Keep_Calendar_Found(Profile_File settings, CalDAV_Account account, const std::string& url,
                         const Sync_Tool_Environment& env, std::ostream& err) {
    account.Calendar_Url = url;
    Write_CalDAV_Account(settings, account);
    try {
        settings.Save(Settings_File_Path(env.Folders.Settings_Folder));
    } catch (const Tessaly_Error& error) {
        err << Sync_Tool_Name << ": " << Terminal_Lines(error.what()) << "\n";
    }
}

void Say_Stopped(const Deletion_Question& question, bool by_books, std::ostream& err) {
    err << Sync_Tool_Name << ": Nothing was changed: this sync would ";
    if (question.Deleted_Here > 0) {
        err << "remove " << question.Deleted_Here << " of the list's " << question.Local_Count
            << (by_books ? " entries (their contacts or dates are gone from the address books)"
                         : " entries (deleted on the server)");
    }
    if (question.Deleted_Here > 0 && question.Deleted_There > 0) {
        err << " and ";
    }
    if (question.Deleted_There > 0) {
        err << "delete " << question.Deleted_There << " of the calendar's " << question.Server_Count
            << " events (deleted from the list)";
    }
    err << ".\nIf that is what you want, run " << Sync_Tool_Name
        << " --allow-deletions. To keep every entry on both sides instead, run " << Sync_Tool_Name
        << " --keep-everything.\n";
}

// The data file as the session's list: saved through its atomic save,
// never while the window has it open.
class Tool_List final : public Sync_List {
public:
    Tool_List(Data_File_Session& session, Event_List& list, std::ostream& err)
        : session_(session), list_(list), err_(err) {}

    int Failure = sync_status::List_Failed;

    std::vector<TName_And_Event_Data> Entries() override {
        return {list_.Entries().begin(), list_.Entries().end()};
    }

    bool Save(const std::vector<TName_And_Event_Data>&,
              const std::vector<TName_And_Event_Data>& after) override {
        const std::filesystem::path& file = session_.File();
        // A window opened meanwhile has read the list: the server's side
        // waits for its own sync.
        if (Window_Holds_Data_File(file)) {
            Say_Window_Open(file, err_);
            Failure = sync_status::Window_Open;
            return false;
        }
        Event_List synced;
        for (const auto& entry : after) {
            synced.Append() = entry;
        }
        try {
            if (session_.Save(synced) == Data_File_Session::Save_Result::Changed_On_Disk) {
                err_ << Sync_Tool_Name << ": \"" << file.string()
                     << "\" was changed by another program during the sync, and is left as "
                        "it is. Sync again.\n";
                return false;
            }
        } catch (const Tessaly_Error& error) {
            err_ << Sync_Tool_Name << ": " << Terminal_Lines(error.what()) << "\n";
            return false;
        }
        list_ = synced;
        return true;
    }

private:
    Data_File_Session& session_;
    Event_List& list_;
    std::ostream& err_;
};

}  // namespace

int Sync_Once(const Sync_Tool_Options& options, const Sync_Tool_Environment& env, std::ostream& out,
              std::ostream& err) {
    const std::optional<Profile_File> settings = Load_Settings(env, err);
    if (!settings) {
        return sync_status::List_Failed;
    }
    const CalDAV_Account account = Read_CalDAV_Account(*settings);
    if (!account.Is_Set()) {
        if (options.If_Account) {
            return sync_status::Synced;
        }
        err << Sync_Tool_Name
            << ": No calendar account is set. Set one in the window (Data menu, Calendar "
               "Account...) or with tessaly-sync --set-account.\n";
        return sync_status::No_Account;
    }

    const std::filesystem::path file =
        options.File.value_or(Data_File_Path(env.Folders.Data_Folder));
    if (Window_Holds_Data_File(file)) {
        Say_Window_Open(file, err);
        return sync_status::Window_Open;
    }
    Data_File_Session session(file);
    // A save that could not keep its dated copy still saves the list.
    session.Set_Backup_Failure_Handler([&err](const std::string& message) {
        err << Sync_Tool_Name << ": " << Terminal_Lines(message) << "\n";
    });
    Event_List list;
    // A list read only in part would lose the rest when saved: the window
    // keeps a copy of such a file first, and is the place to open it.
    bool read_in_part = false;
    Load_Options load_options;
    load_options.On_Count_Mismatch = [&err, &read_in_part](const std::string& message) {
        err << Sync_Tool_Name << ": " << Terminal_Lines(message) << "\n";
        read_in_part = true;
    };
    // Said for a full list too, where nothing was cut.
    bool at_capacity = false;
    load_options.On_Capacity_Cut = [&at_capacity] { at_capacity = true; };
    Load_Result loaded = Load_Result::No_File;
    try {
        loaded = session.Load(list, load_options);
    } catch (const Tessaly_Error& error) {
        const std::string message = error.what();
        err << Sync_Tool_Name << ": ";
        if (message.find(file.string()) == std::string::npos) {
            err << "\"" << file.string() << "\": ";
        }
        err << Terminal_Lines(message) << "\nThe list was not synced, and is left as it is.\n";
        return sync_status::List_Failed;
    }
    // A full list is whole when the file holds nothing but it. One of 500
    // written in an older layout cannot be told from a cut one: the window
    // writes it anew.
    if (at_capacity) {
        bool whole = false;
        try {
            whole = Serialise_Data_File(list) == Read_Whole_File(file);
        } catch (const Tessaly_Error&) {
            // Gone or changed since the load: not known to be whole.
        }
        if (!whole) {
            err << Sync_Tool_Name << ": " << Terminal_Lines(Capacity_Message_Load()) << "\n";
            read_in_part = true;
        }
    }
    if (read_in_part) {
        err << Sync_Tool_Name << ": The list was not synced, and is left as it is. Open it in "
            << "the window first.\n";
        return sync_status::List_Failed;
    }
    // A file the user named must be there. Without --file a missing list is
    // a first run here, and the server's events make it.
    if (loaded == Load_Result::No_File && options.File) {
        err << Sync_Tool_Name << ": \"" << file.string() << "\": the file does not exist\n";
        return sync_status::List_Failed;
    }

    const std::optional<std::string> password = Account_Password(account, env, err);
    if (!password) {
        return sync_status::No_Account;
    }
    Tool_List tool_list(session, list, err);
    Sync_Session_Hooks hooks;
    hooks.Connect = [&] { return Make_Http_Transport(Transport_Options(account, *password, env)); };
    // Without a window nobody can choose: both versions are kept, and the
    // guard's answer is the one the command line gave.
    hooks.Ask_Deletions = [&options](const Deletion_Question&) { return options.Deletions; };
    hooks.Hidden_Contacts = Read_Hidden_Contacts(*settings);
    Sync_Session_Result result;
    try {
        // A lost list (no file) is empty, and an empty list takes the
        // server's events back instead of deleting them: Run_Sync sees to it.
        result = Run_Sync_Session(tool_list, account, Sync_State_Path(file), env.Now, hooks);
    } catch (const CalDAV_Error& error) {
        return Report_Server_Failure(error, account, err);
    } catch (const File_Error& error) {
        err << Sync_Tool_Name << ": " << Terminal_Lines(error.what()) << "\n";
        return sync_status::List_Failed;
    } catch (const Tessaly_Error& error) {
        err << Sync_Tool_Name << ": " << Terminal_Lines(error.what()) << "\n";
        return sync_status::Server_Failed;
    }
    if (result.Result == Sync_Session_Result::Kind::List_Not_Saved) {
        return tool_list.Failure;
    }
    if (result.Calendar.Found) {
        Keep_Calendar_Found(*settings, account, result.Calendar.Url, env, err);
    }
    const Sync_Outcome& outcome = result.Outcome;
    if (result.Result == Sync_Session_Result::Kind::Stopped) {
        Say_Stopped(*outcome.Stopped, result.Contacts.Stopped, err);
        return sync_status::Stopped_Before_Deleting;
    }
    if (!account.Address_Books.empty()) {
        Say_Contacts(result.Contacts, options.Quiet, out, err);
    }
    Say_Outcome(outcome, options.Quiet, out, err);
    return outcome.Conflicts > 0 ? sync_status::Conflicts_Kept_Both : sync_status::Synced;
}

}  // namespace tessaly::detail
