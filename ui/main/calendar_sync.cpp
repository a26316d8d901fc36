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

#include "caldav/failure_advice.h"
#include "core/errors.h"
#include "desktop/secret_store.h"
#include "modules/sync_engine.h"
#include "sync/password_command.h"
#include "sync/sync_session.h"
#include "sync/sync_state.h"

namespace tessaly {

namespace {

bool Same_Stored_Entries(const std::vector<TName_And_Event_Data>& left,
                         const std::vector<TName_And_Event_Data>& right) {
    return std::equal(left.begin(), left.end(), right.begin(), right.end(), Same_Stored_Entry);
}

}  // namespace

struct Calendar_Sync::Job : std::enable_shared_from_this<Job>, Sync_Engine_List {
    // Set before the thread starts; the thread alone uses them after.
    CalDAV_Account Account;
    std::string Password;
    std::filesystem::path State_File;
    std::chrono::sys_seconds Stamp;
    std::vector<std::string> Hidden_Contacts;
    Secret_Store* Secrets = nullptr;
    Calendar_Connection* Connection = nullptr;

    // Written by the thread, read by the window's thread once it has ended.
    Calendar_Sync_Report Report;
    Account_Calendar Calendar;

    // Guards Owner and Ended: the owner may go while the thread runs.
    std::mutex Mutex;
    std::condition_variable Ended_Changed;
    bool Ended = false;
    Calendar_Sync* Owner = nullptr;

    void Run();
    void Finish();
    std::optional<std::string> Password_For_Run();

    // Runs `ask` on the window's thread and waits for its answer; none when
    // the window went first.
    template <typename Answer>
    std::optional<Answer> On_Window(std::function<Answer(Calendar_Sync&)> ask) {
        auto answer = std::make_shared<std::promise<Answer>>();
        std::future<Answer> given = answer->get_future();
        {
            const std::lock_guard lock(Mutex);
            if (Owner == nullptr) {
                return std::nullopt;
            }
            Calendar_Sync* owner = Owner;
            QMetaObject::invokeMethod(
                owner, [owner, answer, ask] { answer->set_value(ask(*owner)); },
                Qt::QueuedConnection);
        }
        try {
            return given.get();
        } catch (const std::future_error&) {
            return std::nullopt;
        }
    }

    // The window's list, read and saved on the window's thread.
    Engine_Result<std::vector<TName_And_Event_Data>> Entries() override {
        auto entries = On_Window<std::vector<TName_And_Event_Data>>(
            [](Calendar_Sync& owner) { return owner.hooks_.Current_Entries(); });
        if (!entries) {
            Engine_Failure closed;
            closed.Message = "The window closed during the calendar sync.";
            return closed;
        }
        return std::move(*entries);
    }

    bool Save(const std::vector<TName_And_Event_Data>& before,
              const std::vector<TName_And_Event_Data>& after) override {
        return On_Window<bool>([&before, &after](Calendar_Sync& owner) {
                   return owner.Take_Synced(before, after);
               })
            .value_or(false);
    }
};

std::optional<std::string> Calendar_Sync::Job::Password_For_Run() {
    using Kind = Calendar_Sync_Report::Kind;
    if (!Password.empty()) {
        return Password;
    }
    if (!Account.Password_Command.empty()) {
        try {
            return Run_Password_Command(Account.Password_Command);
        } catch (const Password_Command_Error& error) {
            Report.Result = Kind::No_Password;
            Report.Message = QString::fromUtf8(error.what()) +
                             QStringLiteral(" Check the account's password command.");
            return std::nullopt;
        }
    }
    std::optional<std::string> kept;
    try {
        kept = Secrets->Read_Password(Account.Server, Account.User);
    } catch (const Secret_Store_Error& error) {
        Report.Result = Kind::No_Password;
        Report.Message = QString::fromUtf8(error.what()) +
                         QStringLiteral(
                             " Enter the password under Data, Calendar Account: "
                             "it is then kept until Tessaly closes.");
        return std::nullopt;
    }
    if (!kept || kept->empty()) {
        Report.Result = Kind::No_Password;
        Report.Message = QStringLiteral(
            "No password is kept for the calendar account. Enter it under Data, "
            "Calendar Account.");
        return std::nullopt;
    }
    return kept;
}

void Calendar_Sync::Job::Run() {
    using Kind = Calendar_Sync_Report::Kind;
    try {
        // First: without the module no password is read either.
        Sync_Engine& engine = Connection->Engine();
        const std::optional<std::string> password = Password_For_Run();
        if (!password) {
            return;
        }
        Sync_Engine_Hooks hooks;
        hooks.Connect = [this, &password] {
            return Catch_Failure(
                [this, &password] { return Connection->Connect(Account, *password); });
        };
        hooks.Decide = [this](const Sync_Conflict& conflict) {
            return On_Window<Conflict_Choice>([&conflict](Calendar_Sync& owner) {
                       return owner.prompts_.Ask_Conflict(owner.window_, conflict);
                   })
                // The window went before it could ask: nothing is overwritten.
                .value_or(Conflict_Choice::Keep_Both);
        };
        hooks.Ask_Deletions = [this](const Deletion_Question& question) {
            return On_Window<Deletion_Choice>([&question](Calendar_Sync& owner) {
                       return owner.prompts_.Ask_Deletions(owner.window_, question);
                   })
                .value_or(Deletion_Choice::Stop);
        };
        hooks.Hidden_Contacts = Hidden_Contacts;
        const Sync_Session_Result result =
            Value_Or_Throw(engine.Run_Session(*this, Account, State_File, Stamp, hooks));
        Calendar = result.Calendar;
        Report.Outcome = result.Outcome;
        Report.Contacts = result.Contacts;
        switch (result.Result) {
            case Sync_Session_Result::Kind::Synced:
                Report.Result = Kind::Synced;
                break;
            case Sync_Session_Result::Kind::Stopped:
                Report.Result = Kind::Stopped;
                Report.Message =
                    QStringLiteral(
                        "Stopped before deleting %1: nothing was changed. Sync again to choose.")
                        .arg(Deletion_Count_Text(*result.Outcome.Stopped) +
                             (result.Contacts.Stopped
                                  ? QStringLiteral(" (their contacts left the address book)")
                                  : QString()));
                break;
            case Sync_Session_Result::Kind::List_Not_Saved:
                Report.Result = Kind::List_Not_Saved;
                Report.Message = QStringLiteral("The list could not take the calendar's changes.");
                break;
        }
    } catch (const CalDAV_Error& error) {
        const bool refused = error.Failure() == CalDAV_Failure::Unauthorized ||
                             error.Failure() == CalDAV_Failure::Forbidden;
        Report.Result = refused ? Kind::Refused : Kind::Failed;
        Report.Message = QString::fromStdString(Failure_Sentence(error, Account.Server));
        Report.Certificate_Fingerprint = error.Certificate_Fingerprint();
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
    job->State_File = Sync_State_Path(data_file_);
    job->Stamp = hooks_.Now();
    if (hooks_.Hidden_Contacts) {
        job->Hidden_Contacts = hooks_.Hidden_Contacts();
    }
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

bool Calendar_Sync::Take_Synced(const std::vector<TName_And_Event_Data>& before,
                                const std::vector<TName_And_Event_Data>& after) {
    std::vector<TName_And_Event_Data> entries = after;
    const std::vector<TName_And_Event_Data> current = hooks_.Current_Entries();
    if (!Same_Stored_Entries(current, before)) {
        // Changed while the sync ran: the changes made meanwhile stay, for
        // the next sync to send.
        auto merged = Merge_Into_Changed_List(before, after, current);
        pending_ = true;
        if (!merged) {
            return false;
        }
        entries = std::move(*merged);
    }
    return hooks_.Take_Entries(entries);
}

void Calendar_Sync::Take_Result(const std::shared_ptr<Job>& job) {
    if (job != job_) {
        return;
    }
    job_.reset();
    running_ = false;
    const Calendar_Sync_Report& report = job->Report;
    if (report.Result != Calendar_Sync_Report::Kind::Failed &&
        report.Result != Calendar_Sync_Report::Kind::Refused && job->Calendar.Found &&
        account_.Calendar_Url.empty()) {
        account_.Calendar_Url = job->Calendar.Url;
        // Found by its name: the one the sync makes where the server has none.
        account_.Calendar_Name = Default_Calendar_Name;
        hooks_.Keep_Account(account_);
    }
    emit Finished(report);
    if (pending_) {
        pending_ = false;
        Start();
    }
}

QString Deletion_Count_Text(const Deletion_Question& question) {
    QStringList parts;
    if (question.Deleted_Here > 0) {
        parts << QStringLiteral("%1 of the list's %2 entries")
                     .arg(question.Deleted_Here)
                     .arg(question.Local_Count);
    }
    if (question.Deleted_There > 0) {
        parts << QStringLiteral("%1 of the calendar's %2 events")
                     .arg(question.Deleted_There)
                     .arg(question.Server_Count);
    }
    return parts.join(QStringLiteral(" and "));
}

QString Sync_Status_Text(const Calendar_Sync_Report& report, const QString& time) {
    using Kind = Calendar_Sync_Report::Kind;
    if (report.Result == Kind::Stopped) {
        return QStringLiteral("Calendar sync at %1: %2").arg(time, report.Message);
    }
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
    const Contacts_Outcome& contacts = report.Contacts;
    count(contacts.Added, "%1 added from the address books", "%1 added from the address books");
    count(contacts.Changed, "%1 changed by the address books", "%1 changed by the address books");
    count(contacts.Removed, "%1 removed with its contact", "%1 removed with their contacts");
    count(contacts.Skipped, "%1 contact skipped", "%1 contacts skipped");
    count(contacts.No_Room, "%1 contact's date past the list's 500 entries",
          "%1 contacts' dates past the list's 500 entries");
    for (const auto& [book, why] : contacts.Books_Not_Read) {
        done << QStringLiteral("address book %1 not read (%2)")
                    .arg(QString::fromStdString(book), QString::fromStdString(why));
    }
    count(outcome.Sent, "%1 sent", "%1 sent");
    count(outcome.Deleted_There, "%1 deleted there", "%1 deleted there");
    count(outcome.Taken, "%1 taken", "%1 taken");
    count(outcome.Removed_Here, "%1 removed here", "%1 removed here");
    count(outcome.Conflicts, "%1 conflict settled", "%1 conflicts settled");
    count(outcome.Not_Taken, "%1 other event left alone", "%1 other events left alone");
    count(outcome.No_Room, "%1 event past the list's 500 entries",
          "%1 events past the list's 500 entries");
    count(static_cast<int>(outcome.Skipped.size()), "%1 event skipped", "%1 events skipped");
    if (outcome.Skipped.size() == 1) {
        // One is said with its reason; several are counted.
        done.back() += QStringLiteral(" (\"%1\": %2)")
                           .arg(QString::fromUtf8(outcome.Skipped[0].Name),
                                QString::fromUtf8(outcome.Skipped[0].Reason));
    }
    if (done.isEmpty()) {
        return QStringLiteral("Synced with the calendar at %1: nothing to do.").arg(time);
    }
    return QStringLiteral("Synced with the calendar at %1: %2.")
        .arg(time, done.join(QStringLiteral(", ")));
}

}  // namespace tessaly
