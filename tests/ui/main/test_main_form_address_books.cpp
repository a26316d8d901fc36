#include "main_form_fixture.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/entry_attributes.h"
#include "core/profile_file.h"
#include "sync/sync_account.h"
#include "test_support/fake_calendar.h"
#include "ui/dialogs/add_modify_form.h"
#include "ui/dialogs/entry_attribute_controls.h"
#include "ui/dialogs/month_calendar.h"
#include "ui/main/calendar_sync.h"
#include "ui/main/grid_selection.h"

namespace {

using namespace tessaly;
using namespace tessaly::test;

const std::string Book = "http://127.0.0.1:9/dav/ann/contacts/";

// Ann and Cat come from the address book; Bob is the list's own.
Event_List Sample_List() {
    Event_List list = List_Of({{"Ann Smith", 1980, 3, 1, "Birthday", ""},
                               {"Bob Lee", 1975, 6, 2, "Birthday", "mine"},
                               {"Cat Doe", 1990, 1, 5, "Anniversary", ""}});
    Write_Contact_Source(list.At(1), Contact_Source{Book, "ann-uid", "bday"});
    Write_Contact_Source(list.At(3), Contact_Source{Book, "cat;uid", "anniversary"});
    return list;
}

CalDAV_Account Account_With_Book() {
    CalDAV_Account account;
    account.Server = "http://127.0.0.1:9/";
    account.User = "ann";
    account.Address_Books = {Book};
    return account;
}

class Address_Book_Entries_Test : public Main_Form_Test {
protected:
    void TearDown() override {
        // The sync the account form starts uses the fixture's fakes.
        // Its questions and its end come through the window's event loop.
        if (form) {
            EXPECT_TRUE(
                QTest::qWaitFor([this] { return !form->Calendar_Syncer->Is_Running(); }, 20000));
        }
        Main_Form_Test::TearDown();
    }

    void Start_With_Sample() {
        Save_Data_To_File_ButtonClick(Sample_List(), Data());
        Start();
    }

    // The row that shows the entry of that name; 0 where none does.
    int Row_Of(const QString& name) { return static_cast<int>(Names().indexOf(name)) + 1; }

    const TName_And_Event_Data* Entry_Named(const std::string& name) {
        for (int i = 1; i <= form->List().Event_Count(); ++i) {
            if (form->List().At(i).Name == name) {
                return &form->List().At(i);
            }
        }
        return nullptr;
    }

    std::vector<std::string> Hidden_In_Settings() {
        return Read_Hidden_Contacts(Profile_File::Load(dir.File("Tessaly.ini")));
    }
};

// Acts on the dialog as soon as the edit has it open.
void When_Dialog_Opens(TAdd_Modify_Form& dialog, std::function<void(TAdd_Modify_Form&)> action,
                       bool& opened) {
    auto* timer = new QTimer(&dialog);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, &dialog, action, &opened] {
        if (dialog.isVisible()) {
            timer->stop();
            timer->deleteLater();
            opened = true;
            action(dialog);
        }
    });
    timer->start();
}

TEST_F(Address_Book_Entries_Test, TheNameCellOfAnEntryFromAnAddressBookNamesItsContactAndBook) {
    Start_With_Sample();
    EXPECT_EQ(Grid().Cell_Hint(0, Row_Of("Ann Smith")),
              QString::fromUtf8("From the contact \xE2\x80\x9C"
                                "Ann Smith\xE2\x80\x9D in the address book \xE2\x80\x9C") +
                  QString::fromStdString(Book) + QString::fromUtf8("\xE2\x80\x9D"));
    // The hints follow their entries when rows go and the rest move up.
    Select_Row(Grid(), Row_Of("Bob Lee"));
    messages.answers.push_back(Message_Answer::Yes);
    form->Delete_Selected_Rows_BitBtnClick();
    for (int row = 1; row < Grid().Row_Count(); ++row) {
        EXPECT_FALSE(Grid().Cell_Hint(0, row).isEmpty()) << row;
    }

    // The books' names the account form found name them from then on.
    calendar_questions.account_answers.push_back(
        {Account_With_Book(), "pw", {{Book, "Contacts"}}, false});
    form->Calendar_Account_Menu_OptionClick();
    form->Refresh_StringGrid_From_Array_ButtonClick();
    EXPECT_TRUE(Grid()
                    .Cell_Hint(0, Row_Of("Cat Doe"))
                    .endsWith(QString::fromUtf8("in the address book \xE2\x80\x9C"
                                                "Contacts\xE2\x80\x9D")))
        << Grid().Cell_Hint(0, Row_Of("Cat Doe")).toStdString();
}

TEST_F(Address_Book_Entries_Test, EditingAnEntryFromAnAddressBookChangesOnlyItsCommentAndLead) {
    Start_With_Sample();
    const TName_And_Event_Data before = *Entry_Named("Ann Smith");
    Select_Row(Grid(), Row_Of("Ann Smith"));
    TAdd_Modify_Form& dialog = *form->Add_Modify_Form;
    bool opened = false;
    When_Dialog_Opens(
        dialog,
        [](TAdd_Modify_Form& shown) {
            EXPECT_TRUE(shown.Name_Edit->isReadOnly());
            EXPECT_TRUE(shown.Date_Edit->isReadOnly());
            EXPECT_FALSE(shown.Event_Type_ComboBox->isEnabled());
            EXPECT_FALSE(shown.MonthCalendar1->isEnabled());
            EXPECT_FALSE(shown.Forward_1_Year_BitBtn->isEnabled());
            EXPECT_TRUE(shown.Contact_Note_Label->isVisible());
            EXPECT_EQ(shown.Name_Edit->accessibleDescription(), shown.Contact_Note_Label->text());
            // What a user cannot type is not taken either.
            shown.Set_Name(QStringLiteral("Changed"));
            shown.Set_Comments(QStringLiteral("likes tea"));
            shown.Attribute_Controls->Own_Lead_SpinEdit->setValue(10);
            shown.OK_BitBtn->click();
        },
        opened);
    form->Edit_Entry_BitBtnClick();
    ASSERT_TRUE(opened);
    EXPECT_TRUE(messages.shown.empty());

    // Saved with its source, its comment and lead its own.
    Event_List saved;
    Load_Data_From_File_ButtonClick(saved, Data());
    ASSERT_EQ(saved.Event_Count(), 3);
    int at = 1;
    while (at < 3 && saved.At(at).Name != before.Name) {
        ++at;
    }
    const TName_And_Event_Data& after = saved.At(at);
    EXPECT_EQ(after.Name, before.Name);
    EXPECT_EQ(after.Orig_Date, before.Orig_Date);
    EXPECT_EQ(after.Event_Type, before.Event_Type);
    EXPECT_EQ(after.Comments, "likes tea");
    EXPECT_EQ(Read_Entry_Attributes(after).Own_Lead, 10);
    EXPECT_EQ(Read_Contact_Source(after), Read_Contact_Source(before));

    // The next edit of the list's own entry is open again.
    Select_Row(Grid(), Row_Of("Bob Lee"));
    When_Dialog_Opens(
        dialog,
        [](TAdd_Modify_Form& shown) {
            EXPECT_FALSE(shown.Contact_Note_Label->isVisible());
            shown.Set_Name(QStringLiteral("Robert Lee"));
            shown.OK_BitBtn->click();
        },
        opened);
    form->Edit_Entry_BitBtnClick();
    EXPECT_NE(Entry_Named("Robert Lee"), nullptr);
}

// Which rows are deleted, how the question reads, and what Hide leaves in
// the list and the settings.
TEST_F(Address_Book_Entries_Test,
       DeletingEntriesFromAnAddressBookAsksToHideThemAndKeepsThemHidden) {
    const struct {
        const char* Name;
        std::vector<QString> Selected;
        Message_Answer Answer;
        QString Question;  // empty: the plain delete question
        QStringList Left;
        std::vector<std::string> Hidden;
    } cases[] = {
        {"one, hidden",
         {"Ann Smith"},
         Message_Answer::Yes,
         QString::fromUtf8("\xE2\x80\x9C"
                           "Ann Smith (Birthday)\xE2\x80\x9D comes from your address book and "
                           "would come back at the next sync. Hide it from the list?"),
         {"Bob Lee", "Cat Doe"},
         {"ann-uid/bday"}},
        {"one, cancelled",
         {"Cat Doe"},
         Message_Answer::No,
         QString::fromUtf8("\xE2\x80\x9C"
                           "Cat Doe (Anniversary)\xE2\x80\x9D comes from your address book and "
                           "would come back at the next sync. Hide it from the list?"),
         {"Ann Smith", "Bob Lee", "Cat Doe"},
         {}},
        {"mixed",
         {"Ann Smith", "Bob Lee", "Cat Doe"},
         Message_Answer::Yes,
         "2 of the 3 selected entries come from your address book and would come back at the "
         "next sync. Hide them, and delete the other entry?",
         {},
         {"ann-uid/bday", "cat%3Buid/anniversary"}},
        {"own entry", {"Bob Lee"}, Message_Answer::Yes, {}, {"Ann Smith", "Cat Doe"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        messages.shown.clear();
        Start_With_Sample();
        // Sorted by name: the selected rows are one run.
        int top = Grid().Row_Count();
        for (const QString& name : c.Selected) {
            top = std::min(top, Row_Of(name));
        }
        Grid().Select_Rows(top, top + static_cast<int>(c.Selected.size()) - 1);
        messages.answers.push_back(c.Answer);
        form->Delete_Selected_Rows_BitBtnClick();
        ASSERT_EQ(messages.shown.size(), 1U);
        if (c.Question.isEmpty()) {
            EXPECT_EQ(messages.shown[0].Text, QStringLiteral("Delete 1 row(s) ?  Are you sure ?"));
        } else {
            EXPECT_EQ(messages.shown[0].Text, c.Question);
            EXPECT_EQ(messages.shown[0].Yes_Caption, QStringLiteral("&Hide"));
            EXPECT_EQ(messages.shown[0].No_Caption, QStringLiteral("Cancel"));
        }
        QStringList left;
        for (int i = 1; i <= form->List().Event_Count(); ++i) {
            left << QString::fromStdString(form->List().At(i).Name);
        }
        EXPECT_EQ(left, c.Left);
        EXPECT_EQ(Hidden_In_Settings(), c.Hidden);
        form.reset();
        std::filesystem::remove(dir.File("Tessaly.ini"));
    }
}

TEST_F(Address_Book_Entries_Test, HiddenContactsAreCountedInTheAccountFormAndShownAgainFromThere) {
    Start_With_Sample();
    Grid().Select_Rows(Row_Of("Ann Smith"), Row_Of("Ann Smith"));
    messages.answers.push_back(Message_Answer::Yes);
    form->Delete_Selected_Rows_BitBtnClick();
    // Hiding it again after an undo lists it once.
    messages.answers.push_back(Message_Answer::Yes);
    form->Undo_Deletes_Menu_OptionClick();
    Grid().Select_Rows(Row_Of("Ann Smith"), Row_Of("Ann Smith"));
    messages.answers.push_back(Message_Answer::Yes);
    form->Delete_Selected_Rows_BitBtnClick();
    ASSERT_EQ(Hidden_In_Settings(), std::vector<std::string>{"ann-uid/bday"});

    // Cancelled: nothing changes.
    form->Calendar_Account_Menu_OptionClick();
    ASSERT_EQ(calendar_questions.asked_hidden_counts, std::vector<int>{1});
    EXPECT_EQ(Hidden_In_Settings(), std::vector<std::string>{"ann-uid/bday"});

    calendar_questions.account_answers.push_back({Account_With_Book(), "pw", {}, true});
    form->Calendar_Account_Menu_OptionClick();
    EXPECT_TRUE(Hidden_In_Settings().empty());
    EXPECT_EQ(Read_CalDAV_Account(Profile_File::Load(dir.File("Tessaly.ini"))).Address_Books,
              std::vector<std::string>{Book});
    form->Calendar_Account_Menu_OptionClick();
    EXPECT_EQ(calendar_questions.asked_hidden_counts, (std::vector<int>{1, 1, 0}));
}

}  // namespace
