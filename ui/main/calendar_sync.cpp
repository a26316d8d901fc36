// The window's sync with a calendar server: one sync at a time on a thread
// of its own, its outcome taken on the window's thread.
#include "ui/main/calendar_sync.h"

#include <QMetaObject>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>
#include <utility>

#include "core/errors.h"
#include "desktop/secret_store.h"
#include "sync/sync_state.h"

namespace tessaly {

namespace {

bool Same_Stored_Entries(const std::vector<TName_And_Event_Data>& left,
                         const std::vector<TName_And_Event_Data>& right) {
    return std::equal(left.begin(), left.end(), right.begin(), right.end(), Same_Stored_Entry);
}

QString Failure_Message(const CalDAV_Error& error) {
    switch (error.Failure()) {
        case CalDAV_Failure::Unauthorized:
            return QStringLiteral(
                "The calendar server did not accept the user name or the password.");
        case CalDAV_Failure::Forbidden:
            return QStringLiteral("The calendar server does not let this user use the calendar.");
        default:
            return QString::fromUtf8(error.what());
    }
}

}  // namespace

struct Calendar_Sync::Job : std::enable_shared_from_this<Job> {
    // Set before the thread starts; the thread alone uses them after.
    CalDAV_Account Account;
    std::string Password;
    std::vector<TName_And_Event_Data> Entries;
    Sync_State State;
    std::chrono::sys_seconds Stamp;
    Secret_Store* Secrets = nullptr;
    Calendar_Connection* Connection = nullptr;

    // Written by the thread, read by the window's thread once it has ended.
    Calendar_Sync_Report Report;
    std::string Calendar_Url;
    // The list got UIDs before the sync: it is saved after it in any case.
    bool Uids_Given = false;

    // Guards Owner and Ended: the owner may go while the thread runs.
    std::mutex Mutex;
    std::condition_variable Ended_Changed;
    bool Ended = false;
    Calendar_Sync* Owner = nullptr;

    void Run();
    Conflict_Choice Decide(const Sync_Conflict& conflict);
    void Finish();
};

Conflict_Choice Calendar_Sync::Job::Decide(const Sync_Conflict& conflict) {
    auto answer = std::make_shared<std::promise<Conflict_Choice>>();
    std::future<Conflict_Choice> chosen = answer->get_future();
    {
        const std::lock_guard lock(Mutex);
        if (Owner == nullptr) {
            return Conflict_Choice::Keep_Both;
        }
        Calendar_Sync* owner = Owner;
        QMetaObject::invokeMethod(
            owner,
            [owner, answer, conflict] {
                answer->set_value(owner->prompts_.Ask_Conflict(owner->window_, conflict));
            },
            Qt::QueuedConnection);
    }
    try {
        return chosen.get();
    } catch (const std::future_error&) {
        // The window went before it could ask: nothing is overwritten.
        return Conflict_Choice::Keep_Both;
    }
}

void Calendar_Sync::Job::Run() {
    using Kind = Calendar_Sync_Report::Kind;
    try {
        if (Password.empty()) {
            std::optional<std::string> kept;
            try {
                kept = Secrets->Read_Password(Account.Server, Account.User);
            } catch (const Secret_Store_Error& error) {
                Report.Result = Kind::No_Password;
                Report.Message = QString::fromUtf8(error.what()) +
                                 QStringLiteral(
                                     " Enter the password under Data, Calendar Account: "
                                     "it is then kept until Tessaly closes.");
                return;
            }
            if (!kept || kept->empty()) {
                Report.Result = Kind::No_Password;
                Report.Message = QStringLiteral(
                    "No password is kept for the calendar account. Enter it under Data, "
                    "Calendar Account.");
                return;
            }
            Password = *kept;
        }
        const std::unique_ptr<Http_Transport> transport =
            Connection->Connect(Account.User, Password);
        CalDAV_Client client(*transport);
        Calendar_Url = Account_Calendar_Url(client, Account);
        Report.Outcome = Run_Sync(
            client, Calendar_Url, Entries, State,
            [this](const Sync_Conflict& conflict) { return Decide(conflict); }, Stamp);
        Report.Result = Kind::Synced;
    } catch (const CalDAV_Error& error) {
        const bool refused = error.Failure() == CalDAV_Failure::Unauthorized ||
                             error.Failure() == CalDAV_Failure::Forbidden;
        Report.Result = refused ? Kind::Refused : Kind::Failed;
        Report.Message = Failure_Message(error);
    } catch (const std::exception& error) {
        Report.Result = Kind::Failed;
        Report.Message = QString::fromUtf8(error.what());
    }
}

void Calendar_Sync::Job::Finish() {
    const std::lock_guard lock(Mutex);
    Ended = true;
    Ended_Changed.notify_all();
    if (Owner != nullptr) {
        Calendar_Sync* owner = Owner;
        QMetaObject::invokeMethod(
            owner, [owner, job = shared_from_this()] { owner->Take_Result(job); },
            Qt::QueuedConnection);
    }
}

Calendar_Sync::Calendar_Sync(Secret_Store& secrets, Calendar_Connection& connection,
                             Calendar_Prompts& prompts, std::filesystem::path data_file,
                             Hooks hooks, QWidget* window)
    : QObject(window),
      secrets_(secrets),
      connection_(connection),
      prompts_(prompts),
      data_file_(std::move(data_file)),
      hooks_(std::move(hooks)),
      window_(window) {}

Calendar_Sync::~Calendar_Sync() {
    if (job_) {
        const std::lock_guard lock(job_->Mutex);
        job_->Owner = nullptr;
    }
}

void Calendar_Sync::Set_Account(const CalDAV_Account& account) {
    if (account.Server != account_.Server || account.User != account_.User) {
        session_password_.clear();
    }
    account_ = account;
}

void Calendar_Sync::Set_Session_Password(std::string password) {
    session_password_ = std::move(password);
}

bool Calendar_Sync::Start() {
    if (!account_.Is_Set() || !hooks_.List_Is_The_Files()) {
        return false;
    }
    if (running_) {
        pending_ = true;
        return true;
    }
    Launch();
    return true;
}

void Calendar_Sync::Launch() {
    auto job = std::make_shared<Job>();
    job->Account = account_;
    job->Password = session_password_;
    job->Entries = hooks_.Current_Entries();
    // With every entry's UID in the list before the sync, an entry changed
    // while the sync runs is still known by it when the outcome comes.
    job->Uids_Given = Give_Entries_Uids(job->Entries);
    if (job->Uids_Given) {
        hooks_.Put_Uids(job->Entries);
    }
    job->State = Load_Sync_State(Sync_State_Path(data_file_));
    job->Stamp = hooks_.Now();
    job->Secrets = &secrets_;
    job->Connection = &connection_;
    job->Owner = this;
    job_ = job;
    running_ = true;
    emit Started();
    std::thread([job] {
        job->Run();
        job->Finish();
    }).detach();
}

void Calendar_Sync::Wait_For_End(std::chrono::milliseconds limit) {
    if (!job_) {
        return;
    }
    std::unique_lock lock(job_->Mutex);
    job_->Ended_Changed.wait_for(lock, limit, [this] { return job_->Ended; });
}

void Calendar_Sync::Take_Result(const std::shared_ptr<Job>& job) {
    if (job != job_) {
        return;
    }
    job_.reset();
    running_ = false;
    Calendar_Sync_Report report = std::move(job->Report);
    if (report.Result == Calendar_Sync_Report::Kind::Synced) {
        const Sync_Outcome& outcome = *report.Outcome;
        std::vector<TName_And_Event_Data> entries = outcome.Entries;
        bool save = outcome.List_Changed || job->Uids_Given;
        const std::vector<TName_And_Event_Data> current = hooks_.Current_Entries();
        if (!Same_Stored_Entries(current, job->Entries)) {
            // Changed while the sync ran: the changes made meanwhile stay,
            // for the next sync to send.
            auto merged = Merge_Into_Changed_List(job->Entries, outcome.Entries, current);
            if (!merged) {
                pending_ = false;
                Launch();
                return;
            }
            entries = std::move(*merged);
            save = true;
            pending_ = true;
        }
        if (save && !hooks_.Take_Entries(entries)) {
            report.Result = Calendar_Sync_Report::Kind::List_Not_Saved;
            report.Message = QStringLiteral("The list could not take the calendar's changes.");
        } else {
            try {
                Save_Sync_State(Sync_State_Path(data_file_), outcome.State);
            } catch (const File_Error&) {
                // Without its state the next sync compares both sides
                // afresh, which loses nothing.
            }
            if (account_.Calendar_Url.empty() && !job->Calendar_Url.empty()) {
                account_.Calendar_Url = job->Calendar_Url;
                hooks_.Keep_Account(account_);
            }
        }
    }
    emit Finished(report);
    if (pending_) {
        pending_ = false;
        Start();
    }
}

QString Sync_Status_Text(const Calendar_Sync_Report& report, const QString& time) {
    using Kind = Calendar_Sync_Report::Kind;
    if (report.Result != Kind::Synced || !report.Outcome) {
        return QStringLiteral("Calendar sync at %1 failed: %2").arg(time, report.Message);
    }
    const Sync_Outcome& outcome = *report.Outcome;
    QStringList done;
    const auto count = [&done](int number, const char* one, const char* many) {
        if (number > 0) {
            done << QString::fromUtf8(number == 1 ? one : many).arg(number);
        }
    };
    count(outcome.Sent, "%1 sent", "%1 sent");
    count(outcome.Deleted_There, "%1 deleted there", "%1 deleted there");
    count(outcome.Taken, "%1 taken", "%1 taken");
    count(outcome.Removed_Here, "%1 removed here", "%1 removed here");
    count(outcome.Conflicts, "%1 conflict settled", "%1 conflicts settled");
    count(outcome.Not_Taken, "%1 other event left alone", "%1 other events left alone");
    count(outcome.No_Room, "%1 event past the list's 500 entries",
          "%1 events past the list's 500 entries");
    if (done.isEmpty()) {
        return QStringLiteral("Synced with the calendar at %1: nothing to do.").arg(time);
    }
    return QStringLiteral("Synced with the calendar at %1: %2.")
        .arg(time, done.join(QStringLiteral(", ")));
}

}  // namespace tessaly
