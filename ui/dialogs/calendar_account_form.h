#pragma once

#include <QDialog>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "caldav/caldav_client.h"
#include "sync/sync_account.h"

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace tessaly {

class Calendar_Connection;

// The calendar account: the server's address as the user knows it, the user,
// the password (kept in the desktop's secret store, never shown again), the
// calendar and the address books whose contacts' dates become entries.
// "Find Calendars" and "Find Address Books" ask the server on a thread of
// their own, one search at a time.
// The address is checked as it is typed; OK and "Find Calendars" wait for
// one that can be used.
class TCalendar_Account_Form : public QDialog {
    Q_OBJECT

public:
    // `kept_password` reads the password kept for an address and user, for
    // the search when the password field is left empty.
    using Kept_Password = std::function<std::string(const CalDAV_Account&)>;
    // Asked whether to trust a certificate the system does not (the server's
    // address and the certificate's fingerprint); none never trusts one.
    using Trust_Question = std::function<bool(const std::string&, const std::string&)>;
    // Finds the calendars of an account with a password, on the search's
    // thread; throws CalDAV_Error or another exception where it cannot.
    using Calendar_Finder =
        std::function<std::vector<CalDAV_Calendar>(const CalDAV_Account&, const std::string&)>;
    using Address_Book_Finder =
        std::function<std::vector<CardDAV_Address_Book>(const CalDAV_Account&, const std::string&)>;
    TCalendar_Account_Form(Calendar_Connection& connection, const CalDAV_Account& account,
                           Kept_Password kept_password, QWidget* parent = nullptr,
                           Trust_Question trust = {});
    ~TCalendar_Account_Form() override;

    // The account as the form holds it; an empty address after "Forget".
    CalDAV_Account Account() const;
    // What was typed; empty keeps the password kept.
    std::string Password() const;
    bool Forget_Requested() const { return forget_; }
    // The names of the address books listed, by URL, as far as the server
    // gave them.
    std::map<std::string, std::string> Address_Book_Names() const;

    // How many contacts' dates the user hid; "Show Hidden Contacts Again"
    // asks for them back, which the caller does once the form is accepted.
    void Set_Hidden_Contacts(int count);
    bool Show_Hidden_Requested() const { return show_hidden_; }

    // Starts the search for the calendars; the list fills when it ends.
    void Find_Calendars_ButtonClick();
    bool Finding() const { return finding_; }
    // In place of the server, for tests; the connection's sync module finds
    // them otherwise.
    void Set_Calendar_Finder(Calendar_Finder finder) { finder_ = std::move(finder); }

    // Starts the search for the address books; the list fills when it ends,
    // the books chosen before staying chosen.
    void Find_Address_Books_ButtonClick();
    void Set_Address_Book_Finder(Address_Book_Finder finder) { book_finder_ = std::move(finder); }

    QLabel* Intro_Label;
    QLineEdit* Address_Edit;
    QPushButton* Server_Addresses_Button;
    QLabel* Address_Hint_Label;
    QLabel* Address_Problem_Label;
    QLabel* Server_Addresses_Label;
    QLineEdit* User_Edit;
    QLineEdit* Password_Edit;
    QComboBox* Calendar_ComboBox;
    QPushButton* Find_Calendars_Button;
    // The account's default alarm: "None", "On the day at 09:00" or "Days
    // before:" with the days in the spin box beside it.
    QComboBox* Default_Alarm_ComboBox;
    QSpinBox* Default_Alarm_Days_SpinEdit;
    // The address books to take birthdays from: checked items are chosen,
    // each item's data is its URL.
    QLabel* Address_Books_Label;
    QListWidget* Address_Books_ListWidget;
    QPushButton* Find_Address_Books_Button;
    QPushButton* Show_Hidden_Contacts_Button;
    QLabel* Status_Label;
    QPushButton* Forget_Button;
    QDialogButtonBox* Buttons;

private:
    struct Search;
    // What a search found, applied to the form on its thread.
    using Search_Result = std::function<void(TCalendar_Account_Form&)>;
    using Search_Work =
        std::function<Search_Result(const CalDAV_Account&, const std::string& password)>;
    // Runs `work` on a thread of its own; `again` starts the same search,
    // for after a certificate was trusted.
    void Start_Search(const QString& looking, Search_Work work,
                      void (TCalendar_Account_Form::*again)());
    void Search_Ended(const Search_Result& found, const QString& failure,
                      const std::string& fingerprint, void (TCalendar_Account_Form::*again)());
    void Take_Calendars(const std::vector<CalDAV_Calendar>& calendars);
    void Take_Address_Books(const std::vector<CardDAV_Address_Book>& books);
    void Update_Buttons();
    void Accept_If_Usable();
    // Says why the address cannot be used, or hides the label when it can.
    void Show_Address_Problem(const QString& problem);
    QString Typed_Address_Problem() const;
    // False, with the address's problem shown, where it cannot be used.
    bool Address_Usable();

    Calendar_Connection& connection_;
    Kept_Password kept_password_;
    Trust_Question trust_;
    Calendar_Finder finder_;
    Address_Book_Finder book_finder_;
    // Trusted on purpose for the address typed; dropped when it changes.
    std::string trusted_certificate_;
    std::string trusted_for_;
    bool forget_ = false;
    bool show_hidden_ = false;
    bool finding_ = false;
    std::shared_ptr<Search> search_;
};

// The short list of the addresses to type for the servers people use, and
// what cannot be synced, as rich text for the form.
QString Server_Addresses_Text();

}  // namespace tessaly
