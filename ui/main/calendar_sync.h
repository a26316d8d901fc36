#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/event_list.h"
#include "sync/sync_account.h"
#include "sync/sync_run.h"
#include "sync/sync_session.h"
#include "ui/dialogs/calendar_prompts.h"

class QWidget;

namespace tessaly {

class Secret_Store;

// What one sync did, for the status line and the messages.
struct Calendar_Sync_Report {
    enum class Kind {
        Synced,
        No_Password,     // nothing in the store, or no store: the message says which
        Refused,         // the server refused the user or the password
        Failed,          // unreachable, timed out, server error, broken reply
        List_Not_Saved,  // the list could not take the server's changes
        Stopped,         // the guard stopped it before deleting: nothing changed
    };
    Kind Result = Kind::Synced;
    QString Message;
    std::optional<Sync_Outcome> Outcome;
    // What the account's address books did to the list.
    Contacts_Outcome Contacts;
    // The certificate the server showed where the system does not trust it.
    std::string Certificate_Fingerprint;
};

// Sync of the window's list with the account's calendar on a thread of its
// own, one at a time. The window hands over a copy of its list; the outcome
// comes back to the window's thread, which saves the list through its atomic
// save and only then the sync state. A sync asked for while one runs runs
// after it.
class Calendar_Sync : public QObject {
    Q_OBJECT

public:
    struct Hooks {
        // The list as it stands now.
        std::function<std::vector<TName_And_Event_Data>()> Current_Entries;
        // Takes the sync's list into the window and saves it; false when the
        // save failed (the window has said why), so that the state is not
        // kept either.
        std::function<bool(const std::vector<TName_And_Event_Data>&)> Take_Entries;
        // Whether the list in the window is the data file's: after a failed
        // load it is not, and no sync may run from it.
        std::function<bool()> List_Is_The_Files;
        std::function<std::chrono::sys_seconds()> Now;
        // Keeps the account in the settings file: the calendar found by the
        // first sync is kept, so that later ones go to it directly.
        std::function<void(const CalDAV_Account&)> Keep_Account;
        // The contacts' dates the user hid, which the sync must not add.
        std::function<std::vector<std::string>()> Hidden_Contacts;
    };

    Calendar_Sync(Secret_Store& secrets, Calendar_Connection& connection, Calendar_Prompts& prompts,
                  std::filesystem::path data_file, Hooks hooks, QWidget* window);
    ~Calendar_Sync() override;

    const CalDAV_Account& Account() const { return account_; }
    void Set_Account(const CalDAV_Account& account);
    // A password for this run only, where the store cannot keep it.
    void Set_Session_Password(std::string password);

    // Starts a sync, or queues one after the running one. False when there
    // is no account or the list is not the file's.
    bool Start();
    bool Is_Running() const { return running_; }
    // Waits at most that long for a running sync to end; a sync still
    // running then is abandoned: nothing of it reaches the list.
    void Wait_For_End(std::chrono::milliseconds limit);

signals:
    void Started();
    void Finished(const tessaly::Calendar_Sync_Report& report);

private:
    struct Job;
    void Launch();
    // On the window's thread: the sync's list into the window, keeping
    // changes made since `before`, and saved.
    bool Take_Synced(const std::vector<TName_And_Event_Data>& before,
                     const std::vector<TName_And_Event_Data>& after);
    void Take_Result(const std::shared_ptr<Job>& job);

    Secret_Store& secrets_;
    Calendar_Connection& connection_;
    Calendar_Prompts& prompts_;
    std::filesystem::path data_file_;
    Hooks hooks_;
    QWidget* window_;
    CalDAV_Account account_;
    std::string session_password_;
    bool running_ = false;
    bool pending_ = false;
    std::shared_ptr<Job> job_;
};

// "3 of the list's 20 entries and ...": what the guard stopped.
QString Deletion_Count_Text(const Deletion_Question& question);

// The status line's text after a sync.
QString Sync_Status_Text(const Calendar_Sync_Report& report, const QString& time);

}  // namespace tessaly
