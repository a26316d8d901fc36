// The main window's sync with a calendar server: the account, the runs at
// start-up and after each save, and the status line that says what they did.
#include <QAction>
#include <QEvent>
#include <QStatusBar>

#include <exception>

#include "core/errors.h"
#include "core/profile_file.h"
#include "desktop/secret_store.h"
#include "ui/common/clock.h"
#include "ui/common/message_boxes.h"
#include "ui/common/text.h"
#include "ui/dialogs/calendar_prompts.h"
#include "ui/main/auto_size_label.h"
#include "ui/main/calendar_sync.h"
#include "ui/main/main_form.h"
#include "ui/main/main_form_messages.h"

namespace tessaly {

void TMainForm1::Set_Up_Calendar_Sync() {
    Calendar_Sync::Hooks hooks;
    hooks.Current_Entries = [this] {
        const auto entries = Event_Array.Entries();
        return std::vector<TName_And_Event_Data>(entries.begin(), entries.end());
    };
    hooks.Take_Entries = [this](const std::vector<TName_And_Event_Data>& entries) {
        return Take_Synced_Entries(entries);
    };
    hooks.List_Is_The_Files = [this] { return !data_file_.Load_Failed(); };
    hooks.Now = [this] {
        return std::chrono::sys_seconds(
            std::chrono::seconds(services_.Time.Now().toSecsSinceEpoch()));
    };
    hooks.Keep_Account = [this](const CalDAV_Account& account) { Keep_Calendar_Account(account); };
    hooks.Hidden_Contacts = [this] { return Hidden_Contacts(); };
    Calendar_Syncer =
        new Calendar_Sync(services_.Secrets, services_.Calendar_Server,
                          services_.Calendar_Questions, Data_File(), std::move(hooks), this);
    connect(Calendar_Syncer, &Calendar_Sync::Started, this,
            [this] { Show_Sync_Status(QStringLiteral("Syncing with the calendar server...")); });
    connect(Calendar_Syncer, &Calendar_Sync::Finished, this, &TMainForm1::Calendar_Sync_Finished);
    Read_Calendar_Account();
}

void TMainForm1::Read_Calendar_Account() {
    try {
        Calendar_Syncer->Set_Account(Read_CalDAV_Account(Profile_File::Load(Settings_File())));
        address_book_names_ = Calendar_Syncer->Account().Address_Book_Names;
    } catch (const std::exception&) {
        // The settings' own read at start-up says what is wrong with the file.
    }
}

void TMainForm1::Start_Calendar_Sync() {
    if (Calendar_Syncer->Start()) {
        return;
    }
    if (sync_asked_by_user_ && Calendar_Syncer->Account().Is_Set()) {
        sync_asked_by_user_ = false;
        Show_Error(services_.Messages, this,
                   QStringLiteral("The list was not read from its file, so it is not synced: a "
                                  "sync would take the empty list for the user's."));
    }
}

void TMainForm1::Sync_Calendar_Menu_OptionClick() {
    if (!Calendar_Syncer->Account().Is_Set()) {
        Calendar_Account_Menu_OptionClick();
        return;
    }
    sync_asked_by_user_ = true;
    Start_Calendar_Sync();
}

void TMainForm1::Calendar_Account_Menu_OptionClick() {
    const CalDAV_Account before = Calendar_Syncer->Account();
    const auto answer = services_.Calendar_Questions.Ask_Account(
        this, before, static_cast<int>(Hidden_Contacts().size()));
    if (!answer) {
        return;
    }
    for (const auto& [url, name] : answer->Address_Book_Names) {
        address_book_names_[url] = name;
    }
    for (const auto& [url, name] : answer->Account.Address_Book_Names) {
        address_book_names_[url] = name;
    }
    // The names the search found show in the entries' hints at once.
    Refresh_StringGrid_From_Array_ButtonClick();
    if (answer->Show_Hidden_Again) {
        Show_Hidden_Contacts_Again();
    }
    if (!answer->Account.Is_Set()) {
        // Forgotten: the password goes from the store, the account from the
        // settings; the list stays as it is.
        try {
            if (before.Is_Set()) {
                services_.Secrets.Forget_Password(before.Server, before.User);
            }
        } catch (const Secret_Store_Error&) {
            // Nothing can be kept where there is no store.
        }
        Keep_Calendar_Account(CalDAV_Account{});
        Calendar_Syncer->Set_Account(CalDAV_Account{});
        Show_Sync_Status(QStringLiteral("The calendar account is forgotten."));
        return;
    }
    CalDAV_Account account = answer->Account;
    account.Password_Command = before.Password_Command;
    Calendar_Syncer->Set_Account(account);
    if (!answer->Password.empty()) {
        try {
            services_.Secrets.Store_Password(account.Server, account.User, answer->Password);
        } catch (const Secret_Store_Error& error) {
            Calendar_Syncer->Set_Session_Password(answer->Password);
            Show_Information(services_.Messages, this,
                             QString::fromUtf8(error.what()) +
                                 QStringLiteral("\n\nThe password is kept only until Tessaly "
                                                "closes."));
        }
    }
    Keep_Calendar_Account(account);
    sync_failure_shown_ = false;
    sync_asked_by_user_ = true;
    Start_Calendar_Sync();
}

void TMainForm1::Keep_Calendar_Account(const CalDAV_Account& account) {
    const std::filesystem::path file = Settings_File();
    try {
        Profile_File profile = Profile_File::Load(file);
        Write_CalDAV_Account(profile, account);
        profile.Save(file);
    } catch (const std::exception&) {
        Show_Error(services_.Messages, this,
                   QStringLiteral("Unable to write to %1").arg(From_File_Text(file.string())));
    }
}

bool TMainForm1::Take_Synced_Entries(const std::vector<TName_And_Event_Data>& entries) {
    Event_Array.Set_Event_Count(static_cast<int>(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        Event_Array.At(static_cast<int>(i) + 1) = entries[i];
    }
    Refresh_StringGrid_From_Array_ButtonClick();
    try {
        if (data_file_.Save(Event_Array) != Data_File_Session::Save_Result::Changed_On_Disk) {
            return true;
        }
        // Written by someone else meanwhile: asked as any save asks, and
        // the sync's state is not kept, so the next sync compares afresh.
        Save_Data_To_File_ButtonClick();
    } catch (const std::exception& error) {
        Show_Error(services_.Messages, this, Failure_Sentence(error));
    }
    return false;
}

void TMainForm1::Calendar_Sync_Finished(const Calendar_Sync_Report& report) {
    const QString time = services_.Time.Now().time().toString(QStringLiteral("HH:mm"));
    Show_Sync_Status(Sync_Status_Text(report, time));
    const bool asked = sync_asked_by_user_;
    sync_asked_by_user_ = false;
    if (report.Result == Calendar_Sync_Report::Kind::Synced) {
        sync_failure_shown_ = false;
        if (report.Outcome && report.Outcome->Without_Uid_Room > 0) {
            Show_Information(services_.Messages, this,
                             QStringLiteral("%1 entries were not synced: their spare fields "
                                            "hold other programs' values.")
                                 .arg(report.Outcome->Without_Uid_Room));
        }
        return;
    }
    if (report.Result == Calendar_Sync_Report::Kind::Stopped) {
        // The user was asked, and chose to stop: the status line says so.
        return;
    }
    if (!report.Certificate_Fingerprint.empty() && (asked || !sync_failure_shown_)) {
        // Nothing else helps until the certificate is trusted or replaced.
        sync_failure_shown_ = true;
        CalDAV_Account account = Calendar_Syncer->Account();
        if (services_.Calendar_Questions.Ask_Trust_Certificate(this, account.Server,
                                                               report.Certificate_Fingerprint)) {
            account.Trusted_Certificate = report.Certificate_Fingerprint;
            Calendar_Syncer->Set_Account(account);
            Keep_Calendar_Account(account);
            sync_asked_by_user_ = asked;
            Start_Calendar_Sync();
        }
        return;
    }
    // A sync of its own accord fails quietly, in the status line; one the
    // user asked for, or a refused password, says so.
    // Once per run is enough for the automatic ones.
    const bool needs_user = report.Result == Calendar_Sync_Report::Kind::Refused ||
                            report.Result == Calendar_Sync_Report::Kind::No_Password;
    if (asked || (needs_user && !sync_failure_shown_)) {
        sync_failure_shown_ = true;
        Show_Error(services_.Messages, this, report.Message);
    }
}

void TMainForm1::Show_Sync_Status(const QString& text) {
    if (Sync_Status_Label == nullptr) {
        // Shown only once an account is set: the window of a user who does
        // not sync keeps its design. The controls scale into what is left.
        centralWidget()->installEventFilter(this);
        statusBar()->setObjectName(QStringLiteral("Sync_StatusBar"));
        Sync_Status_Label = new Status_Line_Label(statusBar());
        Sync_Status_Label->setObjectName(QStringLiteral("Sync_Status_Label"));
        statusBar()->addWidget(Sync_Status_Label, 1);
    }
    Sync_Status_Label->Set_Status(text);
}

bool TMainForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == centralWidget() && event->type() == QEvent::Resize) {
        FormResize();
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace tessaly
