#include "ui/dialogs/calendar_account_form.h"

#include <QColor>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaObject>
#include <QPushButton>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>

#include <exception>
#include <iterator>
#include <mutex>
#include <set>
#include <thread>

#include "caldav/caldav_url.h"
#include "caldav/failure_advice.h"
#include "ui/common/text.h"
#include "ui/dialogs/calendar_prompts.h"
#include "widgets/readable_foreground.h"

namespace tessaly {

namespace {

const QColor Problem_Red(190, 0, 0);
constexpr int Name_Role = Qt::UserRole + 1;

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

// A calendar kept from before its name was kept: named by the last part of
// its address, which servers make from the name.
QString Calendar_Label(const std::string& name, const std::string& url) {
    if (!name.empty()) {
        return From_File_Text(name);
    }
    QString path = From_File_Text(url);
    while (path.endsWith(u'/')) {
        path.chop(1);
    }
    const QString last = QUrl::fromPercentEncoding(path.mid(path.lastIndexOf(u'/') + 1).toUtf8());
    return last.isEmpty() ? From_File_Text(url) : last;
}

void Add_Calendar(QComboBox& box, const QString& label, const QString& name, const QString& url) {
    box.addItem(label, url);
    box.setItemData(box.count() - 1, name, Name_Role);
    // The address stays at hand for a bug report, not in the way.
    box.setItemData(box.count() - 1, url, Qt::ToolTipRole);
}

// An address book as the list shows it: by its name, or by its address's
// last part while the name is not known.
void Add_Address_Book(QListWidget& list, const std::string& name, const std::string& url,
                      bool chosen) {
    auto* item = new QListWidgetItem(Calendar_Label(name, url), &list);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(chosen ? Qt::Checked : Qt::Unchecked);
    item->setData(Qt::UserRole, From_File_Text(url));
    item->setData(Name_Role, From_File_Text(name));
    item->setToolTip(From_File_Text(url));
}

}  // namespace

QString Server_Addresses_Text() {
    const auto row = [](const char* server, const char* address, const char* note) {
        QString line = QStringLiteral("<tr><td>%1:&nbsp;</td><td><b>%2</b>")
                           .arg(QString::fromUtf8(server).toHtmlEscaped(),
                                QString::fromUtf8(address).toHtmlEscaped());
        if (*note != '\0') {
            line += QStringLiteral(" %1").arg(QString::fromUtf8(note).toHtmlEscaped());
        }
        return line + QStringLiteral("</td></tr>");
    };
    return QStringLiteral("<p>The address to type, with HOST the name of your server:</p><table>") +
           row("Nextcloud", "https://HOST/remote.php/dav",
               "with an app password (Settings, Security)") +
           row("Radicale", "http://HOST:5232/", "") +
           row("Ba\xC3\xAFkal", "https://HOST/dav.php", "") +
           row("Fastmail", "https://caldav.fastmail.com/", "with an app password") +
           row("mailbox.org", "https://dav.mailbox.org/", "") +
           row("iCloud", "https://caldav.icloud.com", "with an app-specific password") +
           QStringLiteral(
               "</table><p>Google Calendar needs a sign-in through Google's own page, which "
               "Tessaly does not offer: it cannot sync with Google Calendar.</p>");
}

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
      finder_([&connection](const CalDAV_Account& searched, const std::string& password) {
          return Find_Calendars(connection, searched, password);
      }),
      book_finder_([&connection](const CalDAV_Account& searched, const std::string& password) {
          return Find_Address_Books(connection, searched, password);
      }),
      trusted_certificate_(account.Trusted_Certificate),
      trusted_for_(Url_Origin(account.Server)) {
    setObjectName(QStringLiteral("Calendar_Account_Form"));
    setWindowTitle(QStringLiteral("Calendar Account"));
    const int char_width = fontMetrics().averageCharWidth();

    Intro_Label = new QLabel(
        QStringLiteral("Tessaly keeps the list in a calendar on your calendar server: every "
                       "entry becomes a yearly event there, and changes made on either side "
                       "reach the other at each sync."),
        this);
    Intro_Label->setObjectName(QStringLiteral("Intro_Label"));
    Intro_Label->setWordWrap(true);

    Address_Edit = new QLineEdit(From_File_Text(account.Server), this);
    Address_Edit->setObjectName(QStringLiteral("Address_Edit"));
    Address_Edit->setPlaceholderText(QStringLiteral("https://cloud.example.org/remote.php/dav"));
    Address_Edit->setMinimumWidth(char_width * 44);
    Server_Addresses_Button = new QPushButton(QStringLiteral("&Server Addresses"), this);
    Server_Addresses_Button->setObjectName(QStringLiteral("Server_Addresses_Button"));
    Server_Addresses_Button->setCheckable(true);
    Address_Hint_Label = new QLabel(
        QStringLiteral("https:// is taken where none is typed; http:// only for a server on "
                       "this computer or the home network."),
        this);
    Address_Hint_Label->setObjectName(QStringLiteral("Address_Hint_Label"));
    Address_Hint_Label->setWordWrap(true);
    Address_Edit->setAccessibleDescription(Address_Hint_Label->text());
    Address_Problem_Label = new QLabel(this);
    Address_Problem_Label->setObjectName(QStringLiteral("Address_Problem_Label"));
    Address_Problem_Label->setWordWrap(true);
    Address_Problem_Label->setVisible(false);
    Keep_Readable_Foreground(*Address_Problem_Label, Problem_Red);
    Server_Addresses_Label = new QLabel(Server_Addresses_Text(), this);
    Server_Addresses_Label->setObjectName(QStringLiteral("Server_Addresses_Label"));
    Server_Addresses_Label->setTextFormat(Qt::RichText);
    Server_Addresses_Label->setWordWrap(true);
    // The addresses are there to be copied.
    Server_Addresses_Label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Server_Addresses_Label->setVisible(false);

    User_Edit = new QLineEdit(From_File_Text(account.User), this);
    User_Edit->setObjectName(QStringLiteral("User_Edit"));
    Password_Edit = new QLineEdit(this);
    Password_Edit->setObjectName(QStringLiteral("Password_Edit"));
    Password_Edit->setEchoMode(QLineEdit::Password);
    if (account.Is_Set() && !account.Password_Command.empty()) {
        Password_Edit->setPlaceholderText(
            QStringLiteral("Given by the account's password command \u2014 leave blank"));
    } else if (account.Is_Set() && kept_password_ && !kept_password_(account).empty()) {
        Password_Edit->setPlaceholderText(
            QStringLiteral("Kept in the secret store \u2014 leave blank to keep it"));
    } else {
        Password_Edit->setPlaceholderText(
            QStringLiteral("For Nextcloud and iCloud: an app password"));
    }

    Calendar_ComboBox = new QComboBox(this);
    Calendar_ComboBox->setObjectName(QStringLiteral("Calendar_ComboBox"));
    Calendar_ComboBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    Add_Calendar(*Calendar_ComboBox, Default_Calendar_Text(), QString(), QString());
    if (!account.Calendar_Url.empty()) {
        Add_Calendar(*Calendar_ComboBox,
                     Calendar_Label(account.Calendar_Name, account.Calendar_Url),
                     From_File_Text(account.Calendar_Name), From_File_Text(account.Calendar_Url));
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

    Address_Books_ListWidget = new QListWidget(this);
    Address_Books_ListWidget->setObjectName(QStringLiteral("Address_Books_ListWidget"));
    Address_Books_ListWidget->setAccessibleName(QStringLiteral("Birthdays from address books"));
    Address_Books_ListWidget->setAccessibleDescription(QStringLiteral(
        "Each contact's birthday and anniversaries in a checked address book become entries."));
    Address_Books_ListWidget->setFixedHeight(fontMetrics().height() * 4 + char_width);
    for (const std::string& book : account.Address_Books) {
        const auto named = account.Address_Book_Names.find(book);
        Add_Address_Book(*Address_Books_ListWidget,
                         named == account.Address_Book_Names.end() ? std::string() : named->second,
                         book, true);
    }
    Find_Address_Books_Button = new QPushButton(QStringLiteral("Find Address Boo&ks"), this);
    Find_Address_Books_Button->setObjectName(QStringLiteral("Find_Address_Books_Button"));
    Show_Hidden_Contacts_Button = new QPushButton(this);
    Show_Hidden_Contacts_Button->setObjectName(QStringLiteral("Show_Hidden_Contacts_Button"));
    Show_Hidden_Contacts_Button->setToolTip(
        QStringLiteral("Entries you hid come back from the address book at the next sync."));
    Set_Hidden_Contacts(0);
    auto* books_buttons = new QHBoxLayout;
    books_buttons->addWidget(Find_Address_Books_Button);
    books_buttons->addWidget(Show_Hidden_Contacts_Button);
    books_buttons->addStretch(1);
    auto* books_column = new QVBoxLayout;
    books_column->addWidget(Address_Books_ListWidget);
    books_column->addLayout(books_buttons);

    Status_Label = new QLabel(this);
    Status_Label->setObjectName(QStringLiteral("Status_Label"));
    Status_Label->setWordWrap(true);
    // Its details are there to be copied into a bug report.
    Status_Label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Status_Label->setAccessibleName(QStringLiteral("Calendar search"));

    auto* form = new QFormLayout;
    // Rows of more than one control get no buddy from the layout.
    auto* address_label = new QLabel(QStringLiteral("&Address:"), this);
    address_label->setBuddy(Address_Edit);
    auto* address_row = new QHBoxLayout;
    address_row->addWidget(Address_Edit, 1);
    address_row->addWidget(Server_Addresses_Button);
    auto* address_column = new QVBoxLayout;
    address_column->addLayout(address_row);
    address_column->addWidget(Address_Hint_Label);
    address_column->addWidget(Address_Problem_Label);
    address_column->addWidget(Server_Addresses_Label);
    form->addRow(address_label, address_column);
    form->addRow(QStringLiteral("&User:"), User_Edit);
    form->addRow(QStringLiteral("&Password:"), Password_Edit);
    auto* calendar_label = new QLabel(QStringLiteral("&Calendar:"), this);
    calendar_label->setBuddy(Calendar_ComboBox);
    form->addRow(calendar_label, calendar_row);
    Address_Books_Label = new QLabel(QStringLiteral("&Birthdays from address books:"), this);
    Address_Books_Label->setObjectName(QStringLiteral("Address_Books_Label"));
    Address_Books_Label->setBuddy(Address_Books_ListWidget);
    form->addRow(Address_Books_Label, books_column);
    auto* alarm_label = new QLabel(QStringLiteral("A&larm for entries without a lead:"), this);
    alarm_label->setBuddy(Default_Alarm_ComboBox);
    form->addRow(alarm_label, alarm_row);

    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Forget_Button =
        Buttons->addButton(QStringLiteral("For&get Account"), QDialogButtonBox::DestructiveRole);
    Forget_Button->setObjectName(QStringLiteral("Forget_Button"));
    Forget_Button->setEnabled(account.Is_Set());
    Buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&OK"));
    Buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Ca&ncel"));

    // The books come between the calendar and the alarm, as they are shown.
    setTabOrder(Find_Calendars_Button, Address_Books_ListWidget);
    setTabOrder(Address_Books_ListWidget, Find_Address_Books_Button);
    setTabOrder(Find_Address_Books_Button, Show_Hidden_Contacts_Button);
    setTabOrder(Show_Hidden_Contacts_Button, Default_Alarm_ComboBox);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Intro_Label);
    layout->addLayout(form);
    layout->addWidget(Status_Label);
    layout->addWidget(Buttons);
    // As high as its wrapped texts need at its width, growing and shrinking
    // as the help and the address's problem come and go.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Buttons, &QDialogButtonBox::accepted, this, &TCalendar_Account_Form::Accept_If_Usable);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(Forget_Button, &QPushButton::clicked, this, [this] {
        forget_ = true;
        accept();
    });
    connect(Find_Calendars_Button, &QPushButton::clicked, this,
            &TCalendar_Account_Form::Find_Calendars_ButtonClick);
    connect(Find_Address_Books_Button, &QPushButton::clicked, this,
            &TCalendar_Account_Form::Find_Address_Books_ButtonClick);
    connect(Show_Hidden_Contacts_Button, &QPushButton::clicked, this, [this] {
        show_hidden_ = true;
        Set_Hidden_Contacts(0);
        Status_Label->setText(QStringLiteral(
            "The hidden contacts' dates come back at the next sync once you press OK."));
    });
    connect(Server_Addresses_Button, &QPushButton::toggled, Server_Addresses_Label,
            &QLabel::setVisible);
    connect(Address_Edit, &QLineEdit::textChanged, this, [this] {
        // Only a problem already shown follows the typing: an address half
        // typed is not yet wrong.
        if (!Address_Problem_Label->text().isEmpty()) {
            Show_Address_Problem(Typed_Address_Problem());
        }
        Update_Buttons();
    });
    connect(Address_Edit, &QLineEdit::editingFinished, this, [this] {
        if (!Address_Edit->text().trimmed().isEmpty()) {
            Show_Address_Problem(Typed_Address_Problem());
        }
    });
    connect(Calendar_ComboBox, &QComboBox::currentIndexChanged, this, [this] {
        Calendar_ComboBox->setToolTip(Calendar_ComboBox->currentData().toString());
        Calendar_ComboBox->setAccessibleDescription(Calendar_ComboBox->toolTip());
    });
    Calendar_ComboBox->setToolTip(Calendar_ComboBox->currentData().toString());
    Calendar_ComboBox->setAccessibleDescription(Calendar_ComboBox->toolTip());
    connect(User_Edit, &QLineEdit::textChanged, this, &TCalendar_Account_Form::Update_Buttons);
    // The days count only for "Days before:".
    const auto days_for_kind = [this] {
        Default_Alarm_Days_SpinEdit->setEnabled(
            Alarm_Kind_At(Default_Alarm_ComboBox->currentIndex()) ==
            Default_Alarm::Kind::Days_Before);
    };
    connect(Default_Alarm_ComboBox, &QComboBox::currentIndexChanged, this, days_for_kind);
    days_for_kind();
    if (!account.Server.empty()) {
        // An address kept from before may be one no longer taken.
        Show_Address_Problem(Typed_Address_Problem());
    }
    Update_Buttons();
    (account.Server.empty() ? Address_Edit : Password_Edit)->setFocus();
}

TCalendar_Account_Form::~TCalendar_Account_Form() {
    if (search_) {
        const std::lock_guard lock(search_->Mutex);
        search_->Owner = nullptr;
    }
}

QString TCalendar_Account_Form::Typed_Address_Problem() const {
    return From_File_Text(
        Read_Server_Address(To_File_Text(Address_Edit->text().trimmed())).Problem);
}

void TCalendar_Account_Form::Show_Address_Problem(const QString& problem) {
    Address_Problem_Label->setText(problem);
    Address_Problem_Label->setVisible(!problem.isEmpty());
    Address_Edit->setAccessibleDescription(problem.isEmpty() ? Address_Hint_Label->text()
                                                             : problem);
}

bool TCalendar_Account_Form::Address_Usable() {
    // Said before anything is sent or kept: an address with a password in
    // it would be stored as it is.
    const QString problem = Typed_Address_Problem();
    if (problem.isEmpty()) {
        return true;
    }
    Show_Address_Problem(problem);
    Address_Edit->setFocus();
    return false;
}

void TCalendar_Account_Form::Update_Buttons() {
    const bool complete =
        Typed_Address_Problem().isEmpty() && !User_Edit->text().trimmed().isEmpty();
    Buttons->button(QDialogButtonBox::Ok)->setEnabled(complete);
    Find_Calendars_Button->setEnabled(complete && !finding_);
    Find_Address_Books_Button->setEnabled(complete && !finding_);
}

void TCalendar_Account_Form::Set_Hidden_Contacts(int count) {
    Show_Hidden_Contacts_Button->setText(
        QStringLiteral("Show &Hidden Contacts Again (%1)").arg(count));
    Show_Hidden_Contacts_Button->setEnabled(count > 0);
    // Shown while there is something to bring back, and after it was asked
    // for, so that the focus does not fall out of the form.
    Show_Hidden_Contacts_Button->setVisible(count > 0 || show_hidden_);
}

std::map<std::string, std::string> TCalendar_Account_Form::Address_Book_Names() const {
    std::map<std::string, std::string> names;
    for (int i = 0; i < Address_Books_ListWidget->count(); ++i) {
        const QListWidgetItem* item = Address_Books_ListWidget->item(i);
        const QString name = item->data(Name_Role).toString();
        if (!name.isEmpty()) {
            names[To_File_Text(item->data(Qt::UserRole).toString())] = To_File_Text(name);
        }
    }
    return names;
}

void TCalendar_Account_Form::Accept_If_Usable() {
    if (Address_Usable()) {
        accept();
    }
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
    account.Calendar_Name = To_File_Text(Calendar_ComboBox->currentData(Name_Role).toString());
    for (int i = 0; i < Address_Books_ListWidget->count(); ++i) {
        const QListWidgetItem* item = Address_Books_ListWidget->item(i);
        if (item->checkState() == Qt::Checked) {
            const std::string url = To_File_Text(item->data(Qt::UserRole).toString());
            account.Address_Books.push_back(url);
            const QString name = item->data(Name_Role).toString();
            if (!name.isEmpty()) {
                account.Address_Book_Names[url] = To_File_Text(name);
            }
        }
    }
    return account;
}

std::string TCalendar_Account_Form::Password() const {
    return forget_ ? std::string() : To_File_Text(Password_Edit->text());
}

void TCalendar_Account_Form::Find_Calendars_ButtonClick() {
    Start_Search(
        QStringLiteral("Looking for calendars on the server..."),
        [finder = finder_](const CalDAV_Account& account, const std::string& password) {
            return Search_Result(
                [calendars = finder(account, password)](TCalendar_Account_Form& form) {
                    form.Take_Calendars(calendars);
                });
        },
        &TCalendar_Account_Form::Find_Calendars_ButtonClick);
}

void TCalendar_Account_Form::Find_Address_Books_ButtonClick() {
    Start_Search(
        QStringLiteral("Looking for address books on the server..."),
        [finder = book_finder_](const CalDAV_Account& account, const std::string& password) {
            return Search_Result([books = finder(account, password)](TCalendar_Account_Form& form) {
                form.Take_Address_Books(books);
            });
        },
        &TCalendar_Account_Form::Find_Address_Books_ButtonClick);
}

void TCalendar_Account_Form::Start_Search(const QString& looking, Search_Work work,
                                          void (TCalendar_Account_Form::*again)()) {
    if (finding_ || !Address_Usable()) {
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
    Status_Label->setText(looking);
    search_ = std::make_shared<Search>();
    search_->Owner = this;
    std::thread([search = search_, work = std::move(work), account, password, again] {
        Search_Result found;
        QString failure;
        std::string fingerprint;
        try {
            found = work(account, password);
        } catch (const CalDAV_Error& error) {
            failure = QString::fromStdString(Failure_Sentence(error, account.Server));
            fingerprint = error.Certificate_Fingerprint();
        } catch (const std::exception& error) {
            failure = QString::fromUtf8(error.what());
        }
        const std::lock_guard lock(search->Mutex);
        if (TCalendar_Account_Form* owner = search->Owner) {
            QMetaObject::invokeMethod(
                owner,
                [owner, found, failure, fingerprint, again] {
                    owner->Search_Ended(found, failure, fingerprint, again);
                },
                Qt::QueuedConnection);
        }
    }).detach();
}

void TCalendar_Account_Form::Search_Ended(const Search_Result& found, const QString& failure,
                                          const std::string& fingerprint,
                                          void (TCalendar_Account_Form::*again)()) {
    finding_ = false;
    search_.reset();
    Update_Buttons();
    if (!failure.isEmpty()) {
        Status_Label->setText(failure);
        const CalDAV_Account account = Account();
        if (!fingerprint.empty() && trust_ && trust_(account.Server, fingerprint)) {
            trusted_certificate_ = fingerprint;
            trusted_for_ = Url_Origin(account.Server);
            (this->*again)();
        }
        return;
    }
    found(*this);
}

void TCalendar_Account_Form::Take_Address_Books(const std::vector<CardDAV_Address_Book>& books) {
    std::set<std::string> chosen;
    for (const std::string& url : Account().Address_Books) {
        chosen.insert(url);
    }
    const std::map<std::string, std::string> names = Address_Book_Names();
    Address_Books_ListWidget->clear();
    for (const auto& book : books) {
        Add_Address_Book(*Address_Books_ListWidget, book.Display_Name, book.Url,
                         chosen.erase(book.Url) > 0);
    }
    // A chosen book the server did not list stays chosen: unchecking it is
    // the user's to do, not a search's.
    for (const std::string& url : chosen) {
        const auto named = names.find(url);
        Add_Address_Book(*Address_Books_ListWidget,
                         named == names.end() ? std::string() : named->second, url, true);
    }
    if (books.empty()) {
        Status_Label->setText(QStringLiteral("The server has no address book for this user."));
    } else {
        Status_Label->setText(books.size() == 1
                                  ? QStringLiteral("1 address book found.")
                                  : QStringLiteral("%1 address books found.").arg(books.size()));
    }
}

void TCalendar_Account_Form::Take_Calendars(const std::vector<CalDAV_Calendar>& calendars) {
    const QString chosen = Calendar_ComboBox->currentData().toString();
    Calendar_ComboBox->clear();
    Add_Calendar(*Calendar_ComboBox, Default_Calendar_Text(), QString(), QString());
    int taking_events = 0;
    for (const auto& calendar : calendars) {
        if (!calendar.Takes_Events) {
            continue;
        }
        ++taking_events;
        const QString url = From_File_Text(calendar.Url);
        const QString name = From_File_Text(calendar.Display_Name);
        Add_Calendar(*Calendar_ComboBox, Calendar_Label(calendar.Display_Name, calendar.Url), name,
                     url);
    }
    const int again = Calendar_ComboBox->findData(chosen);
    Calendar_ComboBox->setCurrentIndex(again < 0 ? 0 : again);
    if (taking_events == 0) {
        Status_Label->setText(
            QStringLiteral("The server has no calendar for events yet. Press OK, and the first "
                           "sync makes one named \"Tessaly\" there."));
    } else {
        Status_Label->setText(taking_events == 1
                                  ? QStringLiteral("1 calendar found.")
                                  : QStringLiteral("%1 calendars found.").arg(taking_events));
    }
}

}  // namespace tessaly
