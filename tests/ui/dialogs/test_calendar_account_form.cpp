#include <gtest/gtest.h>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <vector>

#include "caldav/failure_advice.h"
#include "core/entry_attributes.h"
#include "test_support/fake_calendar.h"
#include "test_support/radicale_server.h"
#include "test_support/sample_entries.h"
#include "test_support/wait_until.h"
#include "ui/dialogs/calendar_account_form.h"
#include "ui/dialogs/calendar_prompts.h"

namespace tessaly::test {
namespace {

CalDAV_Account Account_At(const std::string& server) {
    CalDAV_Account account;
    account.Server = server;
    account.User = "ann";
    return account;
}

TEST(Calendar_Account_Form, OkWantsAnAddressAndAUserAndForgetEmptiesTheAccount) {
    Fake_Calendar_Connection connection;
    TCalendar_Account_Form form(connection, CalDAV_Account{}, {});
    QPushButton* ok = form.Buttons->button(QDialogButtonBox::Ok);
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_FALSE(form.Forget_Button->isEnabled());
    form.Address_Edit->setText(QStringLiteral("  https://cloud.example.org/remote.php/dav "));
    EXPECT_FALSE(ok->isEnabled());
    form.User_Edit->setText(QStringLiteral("ann"));
    EXPECT_TRUE(ok->isEnabled());
    form.Password_Edit->setText(QString::fromUtf8("p\xC3\xA4ss"));
    EXPECT_EQ(form.Account().Server, "https://cloud.example.org/remote.php/dav");
    EXPECT_EQ(form.Password(), "p\xC3\xA4ss");
    EXPECT_EQ(form.Account().Calendar_Url, "") << "the calendar named Tessaly";
    EXPECT_EQ(form.Password_Edit->echoMode(), QLineEdit::Password);

    TCalendar_Account_Form again(connection, Account_At("http://h/"),
                                 [](const CalDAV_Account&) { return std::string("kept"); });
    EXPECT_TRUE(again.Forget_Button->isEnabled());
    EXPECT_TRUE(again.Password_Edit->placeholderText().startsWith(
        QStringLiteral("Kept in the secret store")));
    again.Forget_Button->click();
    EXPECT_EQ(again.result(), QDialog::Accepted);
    EXPECT_FALSE(again.Account().Is_Set());
    EXPECT_TRUE(again.Password().empty());
}

// The default alarm shows as the account has it, comes back as it is shown,
// and stays through a forgotten password or a new calendar (it used to be
// dropped whenever the form was accepted).
TEST(Calendar_Account_Form, TheDefaultAlarmRowShowsAndGivesTheAccountsAlarm) {
    using Kind = Default_Alarm::Kind;
    const struct {
        Default_Alarm Before;
        const char* Shown;
        int Index_Chosen;  // then chosen in the combo box, with the days below
        int Days_Typed;
        Default_Alarm After;
    } cases[] = {
        {{}, "None", 2, 7, {Kind::Days_Before, 7}},
        {{Kind::On_The_Day, 0}, "On the day at 09:00", 0, 3, {}},
        {{Kind::Days_Before, 1}, "Days before:", 1, 5, {Kind::On_The_Day, 0}},
        {{Kind::Days_Before, 365}, "Days before:", 2, 366, {Kind::Days_Before, 365}},
        {{Kind::Days_Before, 30}, "Days before:", 2, 0, {Kind::Days_Before, 1}},
    };
    Fake_Calendar_Connection connection;
    for (const auto& c : cases) {
        SCOPED_TRACE(Default_Alarm_Text(c.Before));
        CalDAV_Account account = Account_At("http://h/");
        account.Alarm = c.Before;
        TCalendar_Account_Form form(connection, account, {});
        EXPECT_EQ(form.Default_Alarm_ComboBox->currentText(), QString::fromUtf8(c.Shown));
        EXPECT_EQ(form.Default_Alarm_Days_SpinEdit->isEnabled(),
                  c.Before.When == Kind::Days_Before);
        EXPECT_EQ(form.Account().Alarm, c.Before) << "kept as it was";
        form.Password_Edit->setText(QStringLiteral("new"));
        form.Calendar_ComboBox->setCurrentIndex(0);
        EXPECT_EQ(form.Account().Alarm, c.Before) << "kept through other changes";

        form.Default_Alarm_ComboBox->setCurrentIndex(c.Index_Chosen);
        form.Default_Alarm_Days_SpinEdit->setValue(c.Days_Typed);
        EXPECT_EQ(form.Default_Alarm_Days_SpinEdit->isEnabled(), c.After.When == Kind::Days_Before);
        EXPECT_EQ(form.Account().Alarm, c.After);
    }
}

// What each access key of the form reaches: a button, or a label's field.
std::map<Qt::Key, QWidget*> Access_Keys(TCalendar_Account_Form& form) {
    std::map<Qt::Key, QWidget*> keys;
    const auto take = [&keys](const QString& text, QWidget* target) {
        const QKeySequence mnemonic = QKeySequence::mnemonic(text);
        ASSERT_FALSE(mnemonic.isEmpty()) << "no access key: " << text.toStdString();
        EXPECT_TRUE(keys.emplace(mnemonic[0].key(), target).second)
            << "two controls answer " << mnemonic.toString().toStdString();
    };
    for (QAbstractButton* button : form.findChildren<QAbstractButton*>()) {
        if (button->isVisibleTo(&form)) {
            take(button->text(), button);
        }
    }
    for (QLabel* label : form.findChildren<QLabel*>()) {
        if (label->isVisibleTo(&form) && label->buddy() != nullptr) {
            take(label->text(), label->buddy());
        }
    }
    return keys;
}

TEST(Calendar_Account_Form, EveryControlAnswersItsOwnAccessKey) {
    Fake_Calendar_Connection connection;
    const CalDAV_Account account = Account_At("https://cloud.example.org/");
    TCalendar_Account_Form shape(connection, account, {});
    shape.Set_Hidden_Contacts(2);
    const std::map<Qt::Key, QWidget*> keys = Access_Keys(shape);
    // Every field is named by a label with a key.
    for (QWidget* field : shape.findChildren<QWidget*>()) {
        if ((qobject_cast<QLineEdit*>(field) || qobject_cast<QComboBox*>(field) ||
             qobject_cast<QListWidget*>(field)) &&
            field->isVisibleTo(&shape) && field->parentWidget() == &shape) {
            EXPECT_TRUE(std::any_of(keys.begin(), keys.end(), [field](const auto& key) {
                return key.second == field;
            })) << field->objectName().toStdString();
        }
    }
    // Each key pressed in a form of its own: it reaches its control alone.
    for (const auto& [key, shape_target] : keys) {
        TCalendar_Account_Form form(connection, account, {});
        form.Set_Hidden_Contacts(2);
        form.Set_Calendar_Finder([](const CalDAV_Account&, const std::string&) {
            return std::vector<CalDAV_Calendar>{};
        });
        form.Set_Address_Book_Finder([](const CalDAV_Account&, const std::string&) {
            return std::vector<CardDAV_Address_Book>{};
        });
        // The same child of a form made the same way.
        QWidget* target = form.findChildren<QWidget*>().value(
            shape.findChildren<QWidget*>().indexOf(shape_target));
        ASSERT_NE(target, nullptr) << QKeySequence(key).toString().toStdString();
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        // A button's key clicks it after showing it pressed for a moment; a
        // label's moves the focus to its field.
        auto* button = qobject_cast<QAbstractButton*>(target);
        int clicks = 0;
        if (button != nullptr) {
            QObject::connect(button, &QAbstractButton::clicked, [&clicks] { ++clicks; });
        }
        QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] {
            return button != nullptr ? clicks == 1 : QApplication::focusWidget() == target;
        })) << "Alt+"
            << QKeySequence(key).toString().toStdString();
        EXPECT_TRUE(QTest::qWaitFor([&form] { return !form.Finding(); }));
    }
}

TEST(Calendar_Account_Form, TheAddressIsCheckedUnderItsFieldBeforeOkOrFindSendAnything) {
    Fake_Calendar_Connection connection;
    TCalendar_Account_Form form(connection, CalDAV_Account{}, {});
    std::atomic<int> searches = 0;
    form.Set_Calendar_Finder([&searches](const CalDAV_Account&, const std::string&) {
        ++searches;
        return std::vector<CalDAV_Calendar>{};
    });
    form.User_Edit->setText(QStringLiteral("ann"));
    QPushButton* ok = form.Buttons->button(QDialogButtonBox::Ok);
    const struct {
        const char* Typed;
        const char* Problem;  // a part of the words; empty where taken
    } cases[] = {
        {"cloud.example.org", ""},
        {"http://192.168.1.5:5232/", ""},
        {"http://cloud.example.org/remote.php/dav", "Type \"https://cloud.example.org/"},
        {"https://cloud example.org", "has a space"},
        {"https://", "names no server"},
        {"ftp://cloud.example.org", "https:// or http://"},
        {"https://ann:pw@cloud.example.org", "user name or password"},
    };
    for (const auto& test : cases) {
        form.Address_Edit->setText(QString::fromUtf8(test.Typed));
        emit form.Address_Edit->editingFinished();
        const bool taken = *test.Problem == '\0';
        EXPECT_EQ(ok->isEnabled(), taken) << test.Typed;
        EXPECT_EQ(form.Find_Calendars_Button->isEnabled(), taken) << test.Typed;
        EXPECT_EQ(form.Address_Problem_Label->isHidden(), taken) << test.Typed;
        EXPECT_TRUE(form.Address_Problem_Label->text().contains(QString::fromUtf8(test.Problem)))
            << form.Address_Problem_Label->text().toStdString();
        EXPECT_FALSE(form.Address_Problem_Label->text().contains(QStringLiteral("URL")));
        EXPECT_EQ(form.Address_Edit->accessibleDescription(),
                  taken ? form.Address_Hint_Label->text() : form.Address_Problem_Label->text());
        // Clicked even so (the key Enter on a field): refused, nothing sent.
        form.Find_Calendars_ButtonClick();
        EXPECT_TRUE(QTest::qWaitFor([&form] { return !form.Finding(); }));
        EXPECT_EQ(searches.exchange(0), taken ? 1 : 0) << test.Typed;
    }
    // A problem shown follows the typing; one half typed is not said yet.
    form.Address_Edit->setText(QStringLiteral("https://cloud.example.org"));
    EXPECT_TRUE(form.Address_Problem_Label->isHidden());
    form.Address_Edit->setText(QStringLiteral("https:/"));
    EXPECT_TRUE(form.Address_Problem_Label->isHidden());
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_TRUE(form.Address_Hint_Label->text().contains(QStringLiteral("home network")));

    // An address kept from before that is no longer taken is said at once.
    TCalendar_Account_Form old(connection, Account_At("http://cal.example.org/"), {});
    EXPECT_FALSE(old.Address_Problem_Label->isHidden());
    EXPECT_FALSE(old.Buttons->button(QDialogButtonBox::Ok)->isEnabled());
}

TEST(Calendar_Account_Form, CalendarsFoundAreShownByNameAndNoneSaysOkMakesTessaly) {
    Fake_Calendar_Connection connection;
    CalDAV_Account account = Account_At("https://cloud.example.org/");
    account.Calendar_Url = "https://cloud.example.org/dav/ann/b%C3%BCro/";
    TCalendar_Account_Form form(connection, account, {});
    EXPECT_EQ(form.Calendar_ComboBox->currentText(), QString::fromUtf8("b\xC3\xBCro"))
        << "named by its address's last part while its name is not known";
    EXPECT_EQ(form.Calendar_ComboBox->toolTip(), QString::fromStdString(account.Calendar_Url));

    std::vector<CalDAV_Calendar> calendars;
    std::optional<CalDAV_Error> failure;
    std::string searched_password;
    form.Set_Calendar_Finder([&](const CalDAV_Account&, const std::string& password) {
        searched_password = password;
        if (failure) {
            throw *failure;
        }
        return calendars;
    });
    form.Password_Edit->setText(QStringLiteral("app-pw"));

    calendars = {{"https://cloud.example.org/dav/ann/family/", "Family", "", "", true},
                 {"https://cloud.example.org/dav/ann/tasks/", "Tasks", "", "", false},
                 {"https://cloud.example.org/dav/ann/b%C3%BCro/", "Work", "", "", true}};
    form.Find_Calendars_ButtonClick();
    EXPECT_TRUE(QTest::qWaitFor([&form] { return !form.Finding(); }));
    EXPECT_EQ(searched_password, "app-pw");
    EXPECT_EQ(form.Status_Label->text(), QStringLiteral("2 calendars found."));
    ASSERT_EQ(form.Calendar_ComboBox->count(), 3) << "the task list is left out";
    EXPECT_EQ(form.Calendar_ComboBox->currentText(), QStringLiteral("Work")) << "still chosen";
    EXPECT_EQ(form.Account().Calendar_Name, "Work");
    EXPECT_EQ(form.Account().Calendar_Url, account.Calendar_Url);
    form.Calendar_ComboBox->setCurrentIndex(1);
    EXPECT_EQ(form.Calendar_ComboBox->currentText(), QStringLiteral("Family"));
    EXPECT_EQ(form.Calendar_ComboBox->toolTip(),
              QStringLiteral("https://cloud.example.org/dav/ann/family/"));

    calendars = {{"https://cloud.example.org/dav/ann/tasks/", "Tasks", "", "", false}};
    form.Find_Calendars_ButtonClick();
    EXPECT_TRUE(QTest::qWaitFor([&form] { return !form.Finding(); }));
    EXPECT_TRUE(form.Status_Label->text().contains(QStringLiteral("named \"Tessaly\"")))
        << form.Status_Label->text().toStdString();
    EXPECT_EQ(form.Calendar_ComboBox->count(), 1);
    EXPECT_EQ(form.Account().Calendar_Url, "");
    EXPECT_EQ(form.Account().Calendar_Name, "");

    failure = CalDAV_Error(CalDAV_Failure::Unauthorized, 401, "Refused (401).");
    form.Find_Calendars_ButtonClick();
    EXPECT_TRUE(QTest::qWaitFor([&form] { return !form.Finding(); }));
    EXPECT_EQ(form.Status_Label->text(),
              QString::fromStdString(Failure_Sentence(*failure, account.Server)));
    EXPECT_TRUE(form.Status_Label->text().contains(QStringLiteral("app password")));
}

// The chosen books are kept by URL through every search: one the server no
// longer lists stays chosen until the user unchecks it, and a failed search
// changes nothing but the status line.
TEST(Calendar_Account_Form, AddressBooksFoundAreChosenByTickAndTheChosenOnesStayThroughASearch) {
    Fake_Calendar_Connection connection;
    CalDAV_Account account = Account_At("https://cloud.example.org/");
    const std::string contacts = "https://cloud.example.org/dav/ann/contacts/";
    const std::string family = "https://cloud.example.org/dav/ann/family/";
    const std::string gone = "https://cloud.example.org/dav/ann/old%20book/";
    account.Address_Books = {contacts, gone};
    TCalendar_Account_Form form(connection, account, {});
    QListWidget& list = *form.Address_Books_ListWidget;
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.item(1)->text(), QStringLiteral("old book")) << "named by its address";
    EXPECT_EQ(form.Account().Address_Books, account.Address_Books) << "kept as it was";
    EXPECT_EQ(form.Address_Books_Label->buddy(), &list);
    EXPECT_FALSE(list.accessibleName().isEmpty());

    std::vector<CardDAV_Address_Book> books;
    std::optional<CalDAV_Error> failure;
    int calendar_searches = 0;
    form.Set_Calendar_Finder([&](const CalDAV_Account&, const std::string&) {
        ++calendar_searches;
        return std::vector<CalDAV_Calendar>{};
    });
    form.Set_Address_Book_Finder([&](const CalDAV_Account& searched, const std::string&) {
        EXPECT_EQ(searched.Server, account.Server);
        if (failure) {
            throw *failure;
        }
        return books;
    });
    const auto search = [&form] {
        form.Find_Address_Books_ButtonClick();
        EXPECT_FALSE(form.Find_Calendars_Button->isEnabled()) << "one search at a time";
        EXPECT_TRUE(QTest::qWaitFor([&form] { return !form.Finding(); }));
    };

    books = {{family, "Family", "", ""}, {contacts, "Contacts", "", ""}};
    search();
    EXPECT_EQ(calendar_searches, 0);
    EXPECT_EQ(form.Status_Label->text(), QStringLiteral("2 address books found."));
    ASSERT_EQ(list.count(), 3);
    QStringList shown;
    for (int i = 0; i < list.count(); ++i) {
        shown << list.item(i)->text() + (list.item(i)->checkState() == Qt::Checked ? "+" : "-");
    }
    EXPECT_EQ(shown, QStringList({"Family-", "Contacts+", "old book+"}));
    EXPECT_EQ(list.item(0)->toolTip(), QString::fromStdString(family));
    list.item(0)->setCheckState(Qt::Checked);
    list.item(2)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(form.Account().Address_Books, (std::vector<std::string>{family, contacts}));
    EXPECT_EQ(form.Address_Book_Names(),
              (std::map<std::string, std::string>{{contacts, "Contacts"}, {family, "Family"}}));

    failure = CalDAV_Error(CalDAV_Failure::Not_Found, 404, "Not found (404).");
    search();
    EXPECT_EQ(form.Status_Label->text(),
              QString::fromStdString(Failure_Sentence(*failure, account.Server)));
    EXPECT_EQ(list.count(), 3) << "a failed search changes no choice";
    EXPECT_EQ(form.Account().Address_Books, (std::vector<std::string>{family, contacts}));

    failure.reset();
    books.clear();
    search();
    EXPECT_TRUE(form.Status_Label->text().contains(QStringLiteral("no address book")));
    EXPECT_EQ(form.Account().Address_Books, (std::vector<std::string>{contacts, family}))
        << "still chosen, though no longer listed";
    EXPECT_EQ(list.item(0)->text(), QStringLiteral("Contacts")) << "and still named";
}

TEST(Calendar_Account_Form, ShowHiddenContactsAgainIsOfferedWhileSomeAreHidden) {
    Fake_Calendar_Connection connection;
    TCalendar_Account_Form form(connection, Account_At("http://h/"), {});
    EXPECT_FALSE(form.Show_Hidden_Contacts_Button->isVisibleTo(&form)) << "nothing to show";
    form.Set_Hidden_Contacts(3);
    EXPECT_EQ(form.Show_Hidden_Contacts_Button->text(),
              QStringLiteral("Show &Hidden Contacts Again (3)"));
    form.Show_Hidden_Contacts_Button->click();
    EXPECT_TRUE(form.Show_Hidden_Requested());
    EXPECT_FALSE(form.Show_Hidden_Contacts_Button->isEnabled()) << "asked for once";
}

TEST(Calendar_Account_Form, ServerAddressesShowTheAddressesToTypeAndSayGoogleCannotBeSynced) {
    Fake_Calendar_Connection connection;
    TCalendar_Account_Form form(connection, CalDAV_Account{}, {});
    form.show();
    EXPECT_FALSE(form.Server_Addresses_Label->isVisible());
    const int height_without = form.height();
    form.Server_Addresses_Button->click();
    EXPECT_TRUE(form.Server_Addresses_Label->isVisible());
    // The form grows to show the whole help, and shrinks back without it.
    for (QLabel* label : {form.Server_Addresses_Label, form.Intro_Label, form.Address_Hint_Label}) {
        EXPECT_TRUE(QTest::qWaitFor([label] {
            return label->height() >= label->heightForWidth(label->width());
        })) << label->objectName().toStdString()
            << ": " << label->height() << " for " << label->heightForWidth(label->width());
    }
    const QString help = form.Server_Addresses_Label->text();
    for (const char* words :
         {"https://HOST/remote.php/dav", "http://HOST:5232/", "https://HOST/dav.php",
          "https://caldav.fastmail.com/", "https://dav.mailbox.org/", "https://caldav.icloud.com",
          "app-specific password", "Google Calendar needs a sign-in"}) {
        EXPECT_TRUE(help.contains(QString::fromUtf8(words))) << words;
    }
    form.Server_Addresses_Button->click();
    EXPECT_FALSE(form.Server_Addresses_Label->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.height() == height_without; }))
        << form.height() << " after " << height_without;
    EXPECT_TRUE(form.Intro_Label->text().contains(QStringLiteral("yearly event")));
    EXPECT_TRUE(form.Password_Edit->placeholderText().contains(QStringLiteral("app password")));
}

TEST(Calendar_Account_Form, FindCalendarsListsTheServersCalendarsAndSaysWhyNot) {
    if (!Radicale_Server::Available()) {
        GTEST_SKIP() << Radicale_Server::Missing_Reason();
    }
    Radicale_Server server(std::vector<std::pair<std::string, std::string>>{{"ann", "s3cret"}});
    ASSERT_TRUE(server.Start()) << server.Failure();
    Fake_Calendar_Connection connection;
    // The password field left empty: the kept one is used.
    TCalendar_Account_Form form(connection, Account_At(server.Url()),
                                [](const CalDAV_Account&) { return std::string("s3cret"); });
    {
        const auto transport = connection.Connect(Account_At(server.Url()), "s3cret");
        CalDAV_Client client(*transport);
        client.Make_Calendar(client.Find_Calendar_Home(server.Url()), "Family");
    }
    form.Find_Calendars_ButtonClick();
    EXPECT_FALSE(form.Find_Calendars_Button->isEnabled());
    TESSALY_WAIT_UNTIL_WITHIN(!form.Finding(), 20000);
    EXPECT_EQ(form.Status_Label->text(), QStringLiteral("1 calendar found."));
    ASSERT_EQ(form.Calendar_ComboBox->count(), 2);
    form.Calendar_ComboBox->setCurrentIndex(1);
    EXPECT_EQ(form.Calendar_ComboBox->currentText(), QStringLiteral("Family"));
    EXPECT_NE(form.Account().Calendar_Url.find(server.Url()), std::string::npos);

    form.Password_Edit->setText(QStringLiteral("wrong"));
    form.Find_Calendars_ButtonClick();
    TESSALY_WAIT_UNTIL_WITHIN(!form.Finding(), 20000);
    EXPECT_TRUE(form.Status_Label->text().contains(QStringLiteral("401")) ||
                form.Status_Label->text().contains(QStringLiteral("password")))
        << form.Status_Label->text().toStdString();
    EXPECT_EQ(form.Calendar_ComboBox->currentText(), QStringLiteral("Family")) << "kept";
}

TEST(Calendar_Account_Form, TheConflictQuestionShowsBothVersionsOrADeletion) {
    Event_List list = List_Of({{"Ann Lee", 1980, 12, 9, "Birthday", "typed\nhere"},
                               {"Ann Lee", 1980, 12, 10, "Birthday", ""}});
    const Short_Date_Formatter short_date = Make_Strftime_Formatter("%m/%d/%Y");
    Sync_Conflict conflict{"uid", list.At(1), list.At(2)};
    EXPECT_EQ(Conflict_Question(conflict, short_date),
              QStringLiteral("\"Ann Lee\" was changed both here and on the calendar server since "
                             "the last sync.\n\nHere: Ann Lee, Birthday, 12/09/1980, \"typed "
                             "here\"\nOn the server: Ann Lee, Birthday, 12/10/1980\n\nWhich "
                             "version is to be kept? \"Keep Both\" keeps each as an entry of its "
                             "own."));
    conflict.Mine.reset();
    EXPECT_TRUE(
        Conflict_Question(conflict, short_date).contains(QStringLiteral("Here: deleted\n")));
}

}  // namespace
}  // namespace tessaly::test
