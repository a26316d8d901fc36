#include "ui/dialogs/calendar_prompts.h"

#include <QMessageBox>
#include <QPushButton>

#include "core/entry_attributes.h"
#include "desktop/secret_store.h"
#include "modules/sync_engine.h"
#include "modules/sync_module.h"
#include "sync/password_command.h"
#include "ui/common/text.h"
#include "ui/dialogs/calendar_account_form.h"

namespace tessaly {

Sync_Engine& Calendar_Connection::Engine() {
    return Program_Sync_Module().Engine();
}

System_Calendar_Connection::System_Calendar_Connection() : module_(Program_Sync_Module()) {}

std::unique_ptr<Http_Transport> System_Calendar_Connection::Connect(const CalDAV_Account& account,
                                                                    const std::string& password) {
    return Value_Or_Throw(module_.Engine().Connect(account, password));
}

Sync_Engine& System_Calendar_Connection::Engine() {
    return module_.Engine();
}

std::vector<CalDAV_Calendar> Find_Calendars(Calendar_Connection& connection,
                                            const CalDAV_Account& account,
                                            const std::string& password) {
    Sync_Engine& engine = connection.Engine();
    const std::unique_ptr<Http_Transport> transport = connection.Connect(account, password);
    return Value_Or_Throw(engine.Find_Calendars(*transport, account.Server));
}

std::vector<CardDAV_Address_Book> Find_Address_Books(Calendar_Connection& connection,
                                                     const CalDAV_Account& account,
                                                     const std::string& password) {
    Sync_Engine& engine = connection.Engine();
    const std::unique_ptr<Http_Transport> transport = connection.Connect(account, password);
    return Value_Or_Throw(engine.Find_Address_Books(*transport, account.Server));
}

namespace {

QString Entry_Line(const TName_And_Event_Data& entry, const Short_Date_Formatter& short_date) {
    const bool year_unknown = Read_Entry_Attributes(entry).Year_Unknown;
    QString line =
        From_File_Text_On_One_Line(entry.Name) + QStringLiteral(", ") +
        From_File_Text_On_One_Line(entry.Event_Type) + QStringLiteral(", ") +
        QString::fromStdString(Format_Entry_Date(short_date, entry.Orig_Date, year_unknown));
    if (!entry.Comments.empty()) {
        line += QStringLiteral(", \"") + From_File_Text_On_One_Line(entry.Comments) +
                QStringLiteral("\"");
    }
    return line;
}

}  // namespace

QString Deletion_Question_Text(const Deletion_Question& question) {
    QString text;
    if (question.Deleted_Here > 0) {
        text += QStringLiteral(
                    "This sync would remove %1 of the list's %2 entries, because they are no "
                    "longer on the calendar server.")
                    .arg(question.Deleted_Here)
                    .arg(question.Local_Count);
    }
    if (question.Deleted_There > 0) {
        if (!text.isEmpty()) {
            text += QStringLiteral("\n\n");
        }
        text += QStringLiteral(
                    "This sync would delete %1 of the %2 events on the calendar server, because "
                    "they are no longer in the list.")
                    .arg(question.Deleted_There)
                    .arg(question.Server_Count);
    }
    text += QStringLiteral(
        "\n\n\"Delete Them\" goes on with the sync. \"Keep Everything\" keeps every entry and "
        "event on both sides. \"Stop\" changes nothing now and asks again at the next sync.");
    return text;
}

QString Trust_Question_Text(const std::string& server, const std::string& fingerprint) {
    return QStringLiteral(
               "The calendar server at %1 showed a certificate that this computer does not "
               "trust. Its SHA-256 fingerprint is:\n\n%2\n\nTrust it only if it is your own "
               "server's certificate: compare this fingerprint with the one the server shows "
               "(openssl x509 -noout -fingerprint -sha256 -in CERTIFICATE). Tessaly then takes "
               "this certificate, and no other, for this server.")
        .arg(From_File_Text(server), From_File_Text(fingerprint));
}

QString Conflict_Question(const Sync_Conflict& conflict, const Short_Date_Formatter& short_date) {
    const TName_And_Event_Data& named = conflict.Mine ? *conflict.Mine : *conflict.Theirs;
    QString text = QStringLiteral(
                       "\"%1\" was changed both here and on the calendar server since the last "
                       "sync.\n\n")
                       .arg(From_File_Text_On_One_Line(named.Name));
    text += QStringLiteral("Here: ") +
            (conflict.Mine ? Entry_Line(*conflict.Mine, short_date) : QStringLiteral("deleted")) +
            QStringLiteral("\n");
    text +=
        QStringLiteral("On the server: ") +
        (conflict.Theirs ? Entry_Line(*conflict.Theirs, short_date) : QStringLiteral("deleted")) +
        QStringLiteral(
            "\n\nWhich version is to be kept? \"Keep Both\" keeps each as an "
            "entry of its own.");
    return text;
}

std::optional<Calendar_Prompts::Account_Answer> Qt_Calendar_Prompts::Ask_Account(
    QWidget* parent, const CalDAV_Account& account, int hidden_contacts) {
    TCalendar_Account_Form* shown = nullptr;
    TCalendar_Account_Form form(
        connection_, account,
        [this, &account](const CalDAV_Account& asked) -> std::string {
            try {
                if (auto kept = secrets_.Read_Password(asked.Server, asked.User);
                    kept && !kept->empty()) {
                    return *kept;
                }
            } catch (const Secret_Store_Error&) {
            }
            // An account set up with a password command (tessaly-sync) keeps
            // nothing in the store: the searches ask the command, as the sync does.
            if (!account.Password_Command.empty() && asked.Server == account.Server &&
                asked.User == account.User) {
                try {
                    return Run_Password_Command(account.Password_Command);
                } catch (const Password_Command_Error&) {
                }
            }
            return {};
        },
        parent,
        [this, &shown](const std::string& server, const std::string& fingerprint) {
            return Ask_Trust_Certificate(shown, server, fingerprint);
        });
    shown = &form;
    form.Set_Hidden_Contacts(hidden_contacts);
    if (form.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return Account_Answer{form.Account(), form.Password(), form.Address_Book_Names(),
                          form.Show_Hidden_Requested()};
}

Conflict_Choice Qt_Calendar_Prompts::Ask_Conflict(QWidget* parent, const Sync_Conflict& conflict) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Calendar Sync"),
                    Conflict_Question(conflict, short_date_), QMessageBox::NoButton, parent);
    QPushButton* mine = box.addButton(QStringLiteral("Keep &Mine"), QMessageBox::AcceptRole);
    QPushButton* theirs = box.addButton(QStringLiteral("Keep &Theirs"), QMessageBox::AcceptRole);
    QPushButton* both = box.addButton(QStringLiteral("Keep &Both"), QMessageBox::RejectRole);
    box.setDefaultButton(both);
    box.setEscapeButton(both);
    box.exec();
    if (box.clickedButton() == mine) {
        return Conflict_Choice::Keep_Mine;
    }
    if (box.clickedButton() == theirs) {
        return Conflict_Choice::Keep_Theirs;
    }
    return Conflict_Choice::Keep_Both;
}

bool Qt_Calendar_Prompts::Ask_Trust_Certificate(QWidget* parent, const std::string& server,
                                                const std::string& fingerprint) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Calendar Sync"),
                    Trust_Question_Text(server, fingerprint), QMessageBox::NoButton, parent);
    QPushButton* trust =
        box.addButton(QStringLiteral("&Trust This Certificate"), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == trust;
}

Deletion_Choice Qt_Calendar_Prompts::Ask_Deletions(QWidget* parent,
                                                   const Deletion_Question& question) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Calendar Sync"),
                    Deletion_Question_Text(question), QMessageBox::NoButton, parent);
    QPushButton* go_on = box.addButton(QStringLiteral("&Delete Them"), QMessageBox::AcceptRole);
    QPushButton* keep = box.addButton(QStringLiteral("&Keep Everything"), QMessageBox::AcceptRole);
    QPushButton* stop = box.addButton(QStringLiteral("&Stop"), QMessageBox::RejectRole);
    box.setDefaultButton(stop);
    box.setEscapeButton(stop);
    box.exec();
    if (box.clickedButton() == go_on) {
        return Deletion_Choice::Go_On;
    }
    if (box.clickedButton() == keep) {
        return Deletion_Choice::Keep_Everything;
    }
    return Deletion_Choice::Stop;
}

}  // namespace tessaly
