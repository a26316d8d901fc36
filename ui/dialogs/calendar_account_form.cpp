#include "ui/dialogs/calendar_account_form.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <exception>
#include <iterator>
#include <mutex>
#include <thread>

#include "caldav/caldav_url.h"
#include "ui/common/text.h"
#include "ui/dialogs/calendar_prompts.h"

namespace tessaly {

namespace {

QString Default_Calendar_Text() {
    return QStringLiteral("Tessaly (made where the server has none)");
}

// What the default alarm combo box's items stand for, in order.
constexpr Default_Alarm::Kind Alarm_Kinds[] = {
    Default_Alarm::Kind::None, Default_Alarm::Kind::On_The_Day, Default_Alarm::Kind::Days_Before};
constexpr int Most_Alarm_Days = 365;

Default_Alarm::Kind Alarm_Kind_At(int index) {
    return index < 0 || index >= static_cast<int>(std::size(Alarm_Kinds))
               ? Default_Alarm::Kind::None
               : Alarm_Kinds[static_cast<std::size_t>(index)];
}

}  // namespace

// A search outlives the form when the form closes first: it then reports
// to nobody.
struct TCalendar_Account_Form::Search {
    std::mutex Mutex;
    TCalendar_Account_Form* Owner = nullptr;
};

TCalendar_Account_Form::TCalendar_Account_Form(Calendar_Connection& connection,
                                               const CalDAV_Account& account,
                                               Kept_Password kept_password, QWidget* parent,
                                               Trust_Question trust)
    : QDialog(parent),
      connection_(connection),
      kept_password_(std::move(kept_password)),
      trust_(std::move(trust)),
      trusted_certificate_(account.Trusted_Certificate),
      trusted_for_(Url_Origin(account.Server)) {
    setObjectName(QStringLiteral("Calendar_Account_Form"));
    setWindowTitle(QStringLiteral("Calendar Account"));

    Address_Edit = new QLineEdit(From_File_Text(account.Server), this);
    Address_Edit->setObjectName(QStringLiteral("Address_Edit"));
    Address_Edit->setPlaceholderText(QStringLiteral("https://cloud.example.org/remote.php/dav"));
    Address_Edit->setMinimumWidth(Address_Edit->fontMetrics().averageCharWidth() * 44);
    User_Edit = new QLineEdit(From_File_Text(account.User), this);
    User_Edit->setObjectName(QStringLiteral("User_Edit"));
    Password_Edit = new QLineEdit(this);
    Password_Edit->setObjectName(QStringLiteral("Password_Edit"));
    Password_Edit->setEchoMode(QLineEdit::Password);
    if (account.Is_Set() && kept_password_ && !kept_password_(account).empty()) {
        Password_Edit->setPlaceholderText(QStringLiteral("kept in the secret store"));
    }

    Calendar_ComboBox = new QComboBox(this);
    Calendar_ComboBox->setObjectName(QStringLiteral("Calendar_ComboBox"));
    Calendar_ComboBox->addItem(Default_Calendar_Text(), QString());
    if (!account.Calendar_Url.empty()) {
        const QString url = From_File_Text(account.Calendar_Url);
        Calendar_ComboBox->addItem(url, url);
        Calendar_ComboBox->setCurrentIndex(1);
    }
    Find_Calendars_Button = new QPushButton(QStringLiteral("&Find Calendars"), this);
    Find_Calendars_Button->setObjectName(QStringLiteral("Find_Calendars_Button"));
    auto* calendar_row = new QHBoxLayout;
    calendar_row->addWidget(Calendar_ComboBox, 1);
    calendar_row->addWidget(Find_Calendars_Button);

    Default_Alarm_ComboBox = new QComboBox(this);
    Default_Alarm_ComboBox->setObjectName(QStringLiteral("Default_Alarm_ComboBox"));
    Default_Alarm_ComboBox->addItem(QStringLiteral("None"));
    Default_Alarm_ComboBox->addItem(QStringLiteral("On the day at 09:00"));
    Default_Alarm_ComboBox->addItem(QStringLiteral("Days before:"));
    Default_Alarm_Days_SpinEdit = new QSpinBox(this);
    Default_Alarm_Days_SpinEdit->setObjectName(QStringLiteral("Default_Alarm_Days_SpinEdit"));
    Default_Alarm_Days_SpinEdit->setRange(1, Most_Alarm_Days);
    Default_Alarm_Days_SpinEdit->setAccessibleName(QStringLiteral("Days before"));
    const Default_Alarm& alarm = account.Alarm;
    for (int i = 0; i < Default_Alarm_ComboBox->count(); ++i) {
        if (Alarm_Kind_At(i) == alarm.When) {
            Default_Alarm_ComboBox->setCurrentIndex(i);
        }
    }
    if (alarm.When == Default_Alarm::Kind::Days_Before) {
        Default_Alarm_Days_SpinEdit->setValue(alarm.Days);
    }
    auto* alarm_row = new QHBoxLayout;
    alarm_row->addWidget(Default_Alarm_ComboBox, 1);
    alarm_row->addWidget(Default_Alarm_Days_SpinEdit);

    Status_Label = new QLabel(this);
    Status_Label->setObjectName(QStringLiteral("Status_Label"));
    Status_Label->setWordWrap(true);
    Status_Label->setText(
        QStringLiteral("Nextcloud: https://HOST/remote.php/dav with an app password. Radicale: "
                       "http://HOST:5232/."));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Address:"), Address_Edit);
    form->addRow(QStringLiteral("&User:"), User_Edit);
    form->addRow(QStringLiteral("&Password:"), Password_Edit);
    // A row of two controls gets no buddy from the layout.
    auto* calendar_label = new QLabel(QStringLiteral("&Calendar:"), this);
    calendar_label->setBuddy(Calendar_ComboBox);
    form->addRow(calendar_label, calendar_row);
    auto* alarm_label = new QLabel(QStringLiteral("Alarm for entries without a lead:"), this);
    alarm_label->setBuddy(Default_Alarm_ComboBox);
    form->addRow(alarm_label, alarm_row);

    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Forget_Button =
        Buttons->addButton(QStringLiteral("&Forget Account"), QDialogButtonBox::DestructiveRole);
    Forget_Button->setObjectName(QStringLiteral("Forget_Button"));
    Forget_Button->setEnabled(account.Is_Set());
    Buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(Status_Label);
    layout->addWidget(Buttons);

    connect(Buttons, &QDialogButtonBox::accepted, this, &TCalendar_Account_Form::Accept_If_Usable);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(Forget_Button, &QPushButton::clicked, this, [this] {
        forget_ = true;
        accept();
    });
    connect(Find_Calendars_Button, &QPushButton::clicked, this,
            &TCalendar_Account_Form::Find_Calendars_ButtonClick);
    connect(Address_Edit, &QLineEdit::textChanged, this, &TCalendar_Account_Form::Update_Buttons);
    connect(User_Edit, &QLineEdit::textChanged, this, &TCalendar_Account_Form::Update_Buttons);
    // The days count only for "Days before:".
    const auto days_for_kind = [this] {
        Default_Alarm_Days_SpinEdit->setEnabled(
            Alarm_Kind_At(Default_Alarm_ComboBox->currentIndex()) ==
            Default_Alarm::Kind::Days_Before);
    };
    connect(Default_Alarm_ComboBox, &QComboBox::currentIndexChanged, this, days_for_kind);
    days_for_kind();
    Update_Buttons();
    (account.Server.empty() ? Address_Edit : Password_Edit)->setFocus();
}

TCalendar_Account_Form::~TCalendar_Account_Form() {
    if (search_) {
        const std::lock_guard lock(search_->Mutex);
        search_->Owner = nullptr;
    }
}

void TCalendar_Account_Form::Update_Buttons() {
    const bool complete =
        !Address_Edit->text().trimmed().isEmpty() && !User_Edit->text().trimmed().isEmpty();
    Buttons->button(QDialogButtonBox::Ok)->setEnabled(complete);
    Find_Calendars_Button->setEnabled(complete && !finding_);
}

void TCalendar_Account_Form::Accept_If_Usable() {
    // Said before anything is sent or kept: an address with a password in
    // it would be stored as it is.
    const Server_Address address =
        Read_Server_Address(To_File_Text(Address_Edit->text().trimmed()));
    if (!address.Problem.empty()) {
        Status_Label->setText(From_File_Text(address.Problem));
        Address_Edit->setFocus();
        return;
    }
    accept();
}

CalDAV_Account TCalendar_Account_Form::Account() const {
    CalDAV_Account account;
    if (forget_) {
        return account;
    }
    const std::string typed = To_File_Text(Address_Edit->text().trimmed());
    const Server_Address address = Read_Server_Address(typed);
    account.Server = address.Problem.empty() ? address.Url : typed;
    if (Url_Origin(account.Server) == trusted_for_) {
        account.Trusted_Certificate = trusted_certificate_;
    }
    account.User = To_File_Text(User_Edit->text().trimmed());
    account.Calendar_Url = To_File_Text(Calendar_ComboBox->currentData().toString());
    account.Alarm.When = Alarm_Kind_At(Default_Alarm_ComboBox->currentIndex());
    if (account.Alarm.When == Default_Alarm::Kind::Days_Before) {
        account.Alarm.Days = Default_Alarm_Days_SpinEdit->value();
    }
    return account;
}

std::string TCalendar_Account_Form::Password() const {
    return forget_ ? std::string() : To_File_Text(Password_Edit->text());
}

void TCalendar_Account_Form::Find_Calendars_ButtonClick() {
    if (finding_) {
        return;
    }
    CalDAV_Account account = Account();
    account.Calendar_Url.clear();
    std::string password = Password();
    if (password.empty() && kept_password_) {
        password = kept_password_(account);
    }
    finding_ = true;
    Update_Buttons();
    Status_Label->setText(QStringLiteral("Looking for calendars on the server..."));
    search_ = std::make_shared<Search>();
    search_->Owner = this;
    std::thread([search = search_, &connection = connection_, account, password] {
        std::vector<CalDAV_Calendar> calendars;
        QString failure;
        std::string fingerprint;
        try {
            calendars = Find_Calendars(connection, account, password);
        } catch (const CalDAV_Error& error) {
            failure = QString::fromUtf8(error.what());
            fingerprint = error.Certificate_Fingerprint();
        } catch (const std::exception& error) {
            failure = QString::fromUtf8(error.what());
        }
        const std::lock_guard lock(search->Mutex);
        if (TCalendar_Account_Form* owner = search->Owner) {
            QMetaObject::invokeMethod(
                owner,
                [owner, calendars, failure, fingerprint] {
                    owner->Take_Calendars(calendars, failure, fingerprint);
                },
                Qt::QueuedConnection);
        }
    }).detach();
}

void TCalendar_Account_Form::Take_Calendars(const std::vector<CalDAV_Calendar>& calendars,
                                            const QString& failure,
                                            const std::string& fingerprint) {
    finding_ = false;
    search_.reset();
    Update_Buttons();
    if (!failure.isEmpty()) {
        Status_Label->setText(failure);
        const CalDAV_Account account = Account();
        if (!fingerprint.empty() && trust_ && trust_(account.Server, fingerprint)) {
            trusted_certificate_ = fingerprint;
            trusted_for_ = Url_Origin(account.Server);
            Find_Calendars_ButtonClick();
        }
        return;
    }
    const QString chosen = Calendar_ComboBox->currentData().toString();
    Calendar_ComboBox->clear();
    Calendar_ComboBox->addItem(Default_Calendar_Text(), QString());
    int taking_events = 0;
    for (const auto& calendar : calendars) {
        if (!calendar.Takes_Events) {
            continue;
        }
        ++taking_events;
        const QString url = From_File_Text(calendar.Url);
        const QString name =
            calendar.Display_Name.empty() ? url : From_File_Text(calendar.Display_Name);
        Calendar_ComboBox->addItem(name, url);
    }
    const int again = Calendar_ComboBox->findData(chosen);
    Calendar_ComboBox->setCurrentIndex(again < 0 ? 0 : again);
    Status_Label->setText(taking_events == 1
                              ? QStringLiteral("1 calendar found.")
                              : QStringLiteral("%1 calendars found.").arg(taking_events));
}

}  // namespace tessaly
