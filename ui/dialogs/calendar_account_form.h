#pragma once

#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "caldav/caldav_client.h"
#include "sync/sync_account.h"

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace tessaly {

class Calendar_Connection;

// The calendar account: the server's address as the user knows it, the user,
// the password (kept in the desktop's secret store, never shown again) and
// the calendar. "Find Calendars" asks the server on a thread of its own.
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
    TCalendar_Account_Form(Calendar_Connection& connection, const CalDAV_Account& account,
                           Kept_Password kept_password, QWidget* parent = nullptr,
                           Trust_Question trust = {});
    ~TCalendar_Account_Form() override;

    // The account as the form holds it; an empty address after "Forget".
    CalDAV_Account Account() const;
    // What was typed; empty keeps the password kept.
    std::string Password() const;
    bool Forget_Requested() const { return forget_; }

    // Starts the search for the calendars; the list fills when it ends.
    void Find_Calendars_ButtonClick();
    bool Finding() const { return finding_; }
    // In place of the server, for tests; the connection's sync module finds
    // them otherwise.
    void Set_Calendar_Finder(Calendar_Finder finder) { finder_ = std::move(finder); }

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
    QLabel* Status_Label;
    QPushButton* Forget_Button;
    QDialogButtonBox* Buttons;

private:
    struct Search;
    void Take_Calendars(const std::vector<CalDAV_Calendar>& calendars, const QString& failure,
                        const std::string& fingerprint);
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
    // Trusted on purpose for the address typed; dropped when it changes.
    std::string trusted_certificate_;
    std::string trusted_for_;
    bool forget_ = false;
    bool finding_ = false;
    std::shared_ptr<Search> search_;
};

// The short list of the addresses to type for the servers people use, and
// what cannot be synced, as rich text for the form.
QString Server_Addresses_Text();

}  // namespace tessaly
