#include <gtest/gtest.h>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <algorithm>
#include <memory>
#include <vector>

#include "core/entry_attributes.h"
#include "test_support/fake_calendar.h"
#include "test_support/radicale_server.h"
#include "test_support/sample_entries.h"
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
    EXPECT_FALSE(again.Password_Edit->placeholderText().isEmpty()) << "says one is kept";
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
    struct Case {
        Default_Alarm Before;
        QString Shown;
        bool Days_Enabled;
        int Index_Chosen;  // then chosen in the combo box, with the days below
        int Days_Typed;
        Default_Alarm After;
    };
    const std::vector<Case> cases = {
        {{}, QStringLiteral("None"), false, 2, 7, {Kind::Days_Before, 7}},
        {{Kind::On_The_Day, 0}, QStringLiteral("On the day at 09:00"), false, 0, 3, {}},
        {{Kind::Days_Before, 1}, QStringLiteral("Days before:"), true, 1, 5, {Kind::On_The_Day, 0}},
        {{Kind::Days_Before, 365},
         QStringLiteral("Days before:"),
         true,
         2,
         366,
         {Kind::Days_Before, 365}},
        {{Kind::Days_Before, 30},
         QStringLiteral("Days before:"),
         true,
         2,
         0,
         {Kind::Days_Before, 1}},
    };
    Fake_Calendar_Connection connection;
    for (const Case& c : cases) {
        SCOPED_TRACE(Default_Alarm_Text(c.Before));
        CalDAV_Account account = Account_At("http://h/");
        account.Alarm = c.Before;
        TCalendar_Account_Form form(connection, account, {});
        EXPECT_EQ(form.Default_Alarm_ComboBox->currentText(), c.Shown);
        EXPECT_EQ(form.Default_Alarm_Days_SpinEdit->isEnabled(), c.Days_Enabled);
        EXPECT_EQ(form.Account().Alarm, c.Before) << "kept as it was";
        form.Password_Edit->setText(QStringLiteral("new"));
        form.Calendar_ComboBox->setCurrentIndex(0);
        EXPECT_EQ(form.Account().Alarm, c.Before) << "kept through other changes";

        form.Default_Alarm_ComboBox->setCurrentIndex(c.Index_Chosen);
        form.Default_Alarm_Days_SpinEdit->setValue(c.Days_Typed);
        EXPECT_EQ(form.Default_Alarm_Days_SpinEdit->isEnabled(), c.After.When == Kind::Days_Before);
        EXPECT_EQ(form.Account().Alarm, c.After);
    }
    // The row is labelled for the eye and for screen readers.
    TCalendar_Account_Form form(connection, Account_At("http://h/"), {});
    const QList<QLabel*> labels = form.findChildren<QLabel*>();
    const auto label = std::find_if(labels.begin(), labels.end(), [](const QLabel* l) {
        return l->text() == QStringLiteral("Alarm for entries without a lead:");
    });
    ASSERT_NE(label, labels.end());
    EXPECT_EQ((*label)->buddy(), form.Default_Alarm_ComboBox);
    EXPECT_EQ(form.Default_Alarm_Days_SpinEdit->minimum(), 1);
    EXPECT_EQ(form.Default_Alarm_Days_SpinEdit->maximum(), 365);
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
    QTRY_VERIFY_WITH_TIMEOUT(!form.Finding(), 20000);
    EXPECT_EQ(form.Status_Label->text(), QStringLiteral("1 calendar found."));
    ASSERT_EQ(form.Calendar_ComboBox->count(), 2);
    form.Calendar_ComboBox->setCurrentIndex(1);
    EXPECT_EQ(form.Calendar_ComboBox->currentText(), QStringLiteral("Family"));
    EXPECT_NE(form.Account().Calendar_Url.find(server.Url()), std::string::npos);

    form.Password_Edit->setText(QStringLiteral("wrong"));
    form.Find_Calendars_ButtonClick();
    QTRY_VERIFY_WITH_TIMEOUT(!form.Finding(), 20000);
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
