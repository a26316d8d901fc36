#include "main_form_fixture.h"

#include <gtest/gtest.h>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/event_list.h"
#include "core/profile_file.h"
#include "ui/dialogs/add_modify_form.h"
#include "ui/dialogs/entry_attribute_controls.h"
#include "ui/main/grid_selection.h"
#include "ui/main/radio_group.h"

namespace {

using namespace tessaly;
using namespace tessaly::test;

using Dialog_Action = std::function<void(TAdd_Modify_Form&)>;

// Acts on the add/modify dialog as soon as a command has it open, once. A
// command that never opens it leaves `opened` false.
class Dialog_Script {
public:
    Dialog_Script(TAdd_Modify_Form& dialog, Dialog_Action action) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this, &dialog, action] {
            if (!dialog.isVisible()) {
                return;
            }
            timer_.stop();
            opened = true;
            caption = dialog.windowTitle();
            action(dialog);
        });
        timer_.start();
    }

    bool opened = false;
    QString caption;

private:
    QTimer timer_;
};

Dialog_Action Fill_And_Accept(const QString& name, Day_Number date, const QString& event_type,
                              const QString& comments) {
    return [=](TAdd_Modify_Form& dialog) {
        dialog.Set_Name(name);
        dialog.Set_Calendar_Date(date);
        dialog.Set_Event_Type(event_type);
        dialog.Set_Comments(comments);
        dialog.OK_BitBtn->click();
    };
}

const Dialog_Action Cancel = [](TAdd_Modify_Form& dialog) { dialog.Cancel_BitBtn->click(); };

const QString Add_Caption = "Add a New Birthday or Event :";
const QString Edit_Caption = "Edit an Existing Birthday or Event :";

QRect Whole_Row(int row) {
    return {QPoint(0, row), QPoint(6, row)};
}

class Entry_Commands_Test : public Main_Form_Test {
protected:
    TAdd_Modify_Form& Dialog() { return *form->Add_Modify_Form; }

    std::vector<Entry> Numbered(int count) {
        std::vector<Entry> entries;
        for (int i = 1; i <= count; ++i) {
            entries.push_back(
                {QString::asprintf("E%03d", i).toStdString(), 2000, 1, 2, "Other", ""});
        }
        return entries;
    }

    QString Last_Message() {
        return messages.shown.empty() ? QString() : messages.shown.back().Text;
    }
};

TEST_F(Entry_Commands_Test, AddAppendsSortsSelectsRowOneAndSavesExactBytes) {
    Write_Data({{"Zoe", 1990, 3, 1, "Birthday", ""}});
    Start();
    Select_Row(Grid(), 1);

    Dialog_Script script(Dialog(), Fill_And_Accept("Adam", 36925, "Wedding Anniversary", "gift"));
    form->Add_Entry_BitBtn->click();

    EXPECT_EQ(script.caption, Add_Caption);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(Names(), QStringList({"Adam", "Zoe"}));
    EXPECT_EQ(Grid().Selection(), Whole_Row(1));
    EXPECT_EQ(Read_Bytes(Data()),
              "V1.1\r\n2\r\n"
              "Adam\r\n 3.69250000000000E+0004\r\nWedding Anniversary\r\ngift\r\n\r\n\r\n\r\n\r\n"
              "Zoe\r\n 3.29330000000000E+0004\r\nBirthday\r\n\r\n\r\n\r\n\r\n\r\n");
}

TEST_F(Entry_Commands_Test, CancelAndTitleBarCloseAddNothingAndWriteNothing) {
    Start();

    Dialog_Script cancel(Dialog(), [](TAdd_Modify_Form& dialog) {
        dialog.Set_Name("Typed");
        dialog.Set_Event_Type("Other");
        dialog.Cancel_BitBtn->click();
    });
    form->Add_Data_Menu_Option->trigger();
    ASSERT_TRUE(cancel.opened);
    EXPECT_EQ(form->List().Event_Count(), 0);
    EXPECT_FALSE(std::filesystem::exists(Data()));

    // An add starts from what the dialog last held; accepting it as it is
    // saves the list.
    Dialog_Script accept(Dialog(), [](TAdd_Modify_Form& dialog) {
        EXPECT_EQ(dialog.Name(), "Typed");
        dialog.OK_BitBtn->click();
    });
    form->Add_Entry_BitBtn->click();
    ASSERT_EQ(form->List().Event_Count(), 1);
    const std::string saved = Read_Bytes(Data());

    // After an accepted showing, the title-bar close still counts as cancel.
    Dialog_Script close(Dialog(), [](TAdd_Modify_Form& dialog) {
        dialog.Set_Name("Other name");
        dialog.close();
    });
    form->Add_Entry_BitBtn->click();
    ASSERT_TRUE(close.opened);
    EXPECT_EQ(form->List().Event_Count(), 1);
    EXPECT_EQ(Names(), QStringList({"Typed"}));
    EXPECT_EQ(Read_Bytes(Data()), saved);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Entry_Commands_Test, AddFillsTheLastPlaceThenRefusesBeforeOpeningTheDialog) {
    Write_Data(Numbered(Event_Array_Size - 1));
    Start();

    Dialog_Script last(Dialog(), Fill_And_Accept("New", 36527, "Other", ""));
    form->Add_Entry_BitBtn->click();
    EXPECT_EQ(form->List().Event_Count(), Event_Array_Size);
    EXPECT_EQ(Read_Bytes(Data()).substr(0, 11), "V1.1\r\n500\r\n");
    EXPECT_TRUE(messages.shown.empty());

    const std::string saved = Read_Bytes(Data());
    Dialog_Script refused(Dialog(), Cancel);
    form->Add_Entry_BitBtn->click();
    EXPECT_FALSE(refused.opened);
    ASSERT_EQ(messages.shown.size(), 1U);
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Error);
    EXPECT_TRUE(messages.shown[0].Text.startsWith(
        "Error: The event array size is limited to 500 for this version of the program.\n\n"));
    EXPECT_EQ(form->List().Event_Count(), Event_Array_Size);
    EXPECT_EQ(Read_Bytes(Data()), saved);
}

TEST_F(Entry_Commands_Test, FailedSaveAfterAddIsReportedAndTheEntryKept) {
    Start();
    test::Failing_Saves failing;

    Dialog_Script script(Dialog(), Fill_And_Accept("Kept", 36527, "Other", ""));
    form->Add_Entry_BitBtn->click();

    ASSERT_EQ(messages.shown.size(), 1U);
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Error);
    EXPECT_EQ(messages.shown[0].Caption, "Tessaly v1.0f");
    EXPECT_TRUE(messages.shown[0].Text.endsWith('.'));
    EXPECT_TRUE(messages.shown[0].Text.contains(QString::fromStdString(Failing_Save_Reason())))
        << messages.shown[0].Text.toStdString();
    EXPECT_EQ(Names(), QStringList({"Kept"}));
    EXPECT_FALSE(std::filesystem::exists(Data()));
}

TEST_F(Entry_Commands_Test, AYearLessEntryWithItsOwnLeadIsAddedShownSavedAndEditedBack) {
    Start();
    Dialog_Script add(Dialog(), [](TAdd_Modify_Form& dialog) {
        dialog.Set_Name("Ann");
        dialog.Set_Calendar_Date(Encode_Date(2024, 2, 29));
        dialog.Set_Event_Type("Birthday");
        dialog.Attribute_Controls->Year_Not_Known_CheckBox->click();
        dialog.Attribute_Controls->Own_Lead_SpinEdit->setValue(90);
        dialog.OK_BitBtn->click();
    });
    form->Add_Entry_BitBtn->click();
    ASSERT_TRUE(add.opened);
    EXPECT_EQ(Row(1), QStringList({"Ann", "29/02", "28/02/2027", "83 (90)", "", "Birthday", ""}));
    EXPECT_EQ(Read_Bytes(Data()),
              "V1.1\r\n1\r\n"
              "Ann\r\n-1.08051000000000E+0005\r\nBirthday\r\n\r\n"
              "[Tessaly/1]year=unknown;lead=90\r\n\r\n\r\n\r\n");
    // A restart shows it the same.
    ASSERT_TRUE(form->close());
    form.reset();
    Start();
    EXPECT_EQ(Row(1), QStringList({"Ann", "29/02", "28/02/2027", "83 (90)", "", "Birthday", ""}));

    // Edited, it shows on its day in a leap year; giving it a year and
    // leaving the lead to the time-frame takes both marks away.
    Select_Row(Grid(), 1);
    Dialog_Script edit(Dialog(), [](TAdd_Modify_Form& dialog) {
        EXPECT_EQ(dialog.Calendar_Date(), Encode_Date(2024, 2, 29));
        EXPECT_EQ(dialog.Attribute_Controls->Attributes(), (Entry_Attributes{true, 90}));
        dialog.Attribute_Controls->Year_Not_Known_CheckBox->click();
        dialog.Attribute_Controls->Own_Lead_SpinEdit->setValue(0);
        dialog.OK_BitBtn->click();
    });
    form->Edit_Entry_BitBtn->click();
    ASSERT_TRUE(edit.opened);
    EXPECT_EQ(Row(1), QStringList({"Ann", "29/02/2024", "28/02/2027", "83", "3", "Birthday", ""}));
    EXPECT_EQ(Read_Bytes(Data()),
              "V1.1\r\n1\r\n"
              "Ann\r\n 4.53510000000000E+0004\r\nBirthday\r\n\r\n"
              "\r\n\r\n\r\n\r\n");
    EXPECT_TRUE(messages.shown.empty());
}

// The dialog keeps its four fields from one use to the next, but an Add
// starts with a known year and no lead of its own, whether the last edit of
// a year-less entry with a lead was accepted or cancelled.
TEST_F(Entry_Commands_Test, AddStartsWithAKnownYearAndTheTimeFrameAfterAnyEdit) {
    // A year-less entry keeps its day in the placeholder year.
    Event_List list = List_Of({{"Ann", Year_Unknown_Placeholder, 5, 6, "Birthday", ""}});
    ASSERT_TRUE(Write_Entry_Attributes(list.At(1), {true, 90}));
    Save_Data_To_File_ButtonClick(list, Data());
    Start();
    for (const bool accept_edit : {false, true}) {
        SCOPED_TRACE(accept_edit ? "edit accepted" : "edit cancelled");
        Select_Row(Grid(), 1);
        Dialog_Script edit(Dialog(), [accept_edit](TAdd_Modify_Form& dialog) {
            EXPECT_EQ(dialog.Attribute_Controls->Attributes(), (Entry_Attributes{true, 90}));
            (accept_edit ? dialog.OK_BitBtn : dialog.Cancel_BitBtn)->click();
        });
        form->Edit_Entry_BitBtn->click();
        ASSERT_TRUE(edit.opened);

        Dialog_Script add(Dialog(), [](TAdd_Modify_Form& dialog) {
            EXPECT_EQ(dialog.Attribute_Controls->Attributes(), Entry_Attributes{});
            EXPECT_EQ(dialog.Name(), QStringLiteral("Ann"));
            EXPECT_EQ(dialog.Date_Edit->text(), QStringLiteral("06/05/2026"));
            dialog.Set_Name(QStringLiteral("Bob"));
            dialog.OK_BitBtn->click();
        });
        form->Add_Entry_BitBtn->click();
        ASSERT_TRUE(add.opened);
        const auto entries = form->List().Entries();
        const auto added =
            std::find_if(entries.begin(), entries.end(),
                         [](const TName_And_Event_Data& entry) { return entry.Name == "Bob"; });
        ASSERT_NE(added, entries.end());
        EXPECT_EQ(Read_Entry_Attributes(*added), Entry_Attributes{});
        EXPECT_EQ(added->Orig_Date, Encode_Date(2026, 5, 6));
        form->List().Remove_Run(static_cast<int>(added - entries.begin()) + 1, 1);
        form->Refresh_StringGrid_From_Array_ButtonClick();
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Entry_Commands_Test, AnEntryWithoutARoomForAttributesIsLeftAsItWas) {
    Event_List list = List_Of({{"Ann", 1990, 5, 6, "Birthday", ""}});
    TName_And_Event_Data& entry = list.At(1);
    entry.Spare_1 = entry.Spare_2 = entry.Spare_3 = entry.Spare_4 = "another program's";
    Save_Data_To_File_ButtonClick(list, Data());
    const std::string saved = Read_Bytes(Data());
    Start();

    Select_Row(Grid(), 1);
    Dialog_Script edit(Dialog(), [](TAdd_Modify_Form& dialog) {
        dialog.Set_Name("Changed");
        dialog.Attribute_Controls->Own_Lead_SpinEdit->setValue(30);
        dialog.OK_BitBtn->click();
    });
    form->Edit_Entry_BitBtn->click();
    ASSERT_EQ(messages.shown.size(), 1U);
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Error);
    EXPECT_TRUE(messages.shown[0].Text.startsWith("Error: This entry cannot keep"));
    Calc_Days_Left_ButtonClick(list, clock.Today());
    EXPECT_EQ(form->List().At(1), list.At(1));
    EXPECT_EQ(Read_Bytes(Data()), saved);
}

TEST_F(Entry_Commands_Test, EditReplacesInPlaceKeepingUntouchedBytesAndTheSelectedRow) {
    // "José" in Windows-1252, as files written on Windows hold it.
    Write_Data({{"Ann", 1980, 5, 6, "Birthday", "a"},
                {"Jos\xe9", 1975, 7, 8, "Anniversary", "old"},
                {"Zoe", 1990, 3, 1, "Birthday", ""}});
    Start();

    Select_Row(Grid(), 2);
    Dialog_Script script(Dialog(), [](TAdd_Modify_Form& dialog) {
        EXPECT_EQ(dialog.Name(), QString::fromUtf8("Jos\u00e9"));
        EXPECT_EQ(dialog.Calendar_Date(), 27583);
        EXPECT_EQ(dialog.Event_Type(), "Anniversary");
        EXPECT_EQ(dialog.Comments(), "old");
        dialog.Set_Comments(QString::fromUtf8("new \u00fc"));
        dialog.OK_BitBtn->click();
    });
    form->Edit_Entry_BitBtn->click();
    EXPECT_EQ(script.caption, Edit_Caption);
    EXPECT_EQ(
        Read_Bytes(Data()),
        "V1.1\r\n3\r\n"
        "Ann\r\n 2.93470000000000E+0004\r\nBirthday\r\na\r\n\r\n\r\n\r\n\r\n"
        "Jos\xe9\r\n 2.75830000000000E+0004\r\nAnniversary\r\nnew \xc3\xbc\r\n\r\n\r\n\r\n\r\n"
        "Zoe\r\n 3.29330000000000E+0004\r\nBirthday\r\n\r\n\r\n\r\n\r\n\r\n");

    // A renamed entry sorts elsewhere; the selection stays on its row.
    Select_Row(Grid(), 1);
    Dialog_Script rename(Dialog(), [](TAdd_Modify_Form& dialog) {
        dialog.Set_Name("Zed");
        dialog.OK_BitBtn->click();
    });
    form->Edit_Data_Menu_Option->trigger();
    EXPECT_EQ(Names(), QStringList({QString::fromUtf8("Jos\u00e9"), "Zed", "Zoe"}));
    EXPECT_EQ(Grid().Selection(), Whole_Row(1));
    EXPECT_EQ(form->List().At(2).Comments, "a");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Entry_Commands_Test, EditRefusesBeforeOpeningTheDialog) {
    Start();
    Dialog_Script empty(Dialog(), Cancel);
    form->Edit_Entry_BitBtn->click();
    EXPECT_FALSE(empty.opened);
    EXPECT_EQ(Last_Message(), "Error: There are no entries to edit - the list is empty.");

    form->Create_Test_Demo_Data_Menu_OptionClick();
    const Event_List before = form->List();
    Grid().Set_Selection(QRect(QPoint(1, 3), QPoint(2, 5)));
    Dialog_Script several(Dialog(), Cancel);
    form->Edit_Entry_BitBtn->click();
    EXPECT_FALSE(several.opened);
    EXPECT_EQ(messages.shown.back().Kind, Message_Kind::Error);
    EXPECT_EQ(Last_Message(),
              "Error: Multiple rows in the list are selcted.\n\nPlease click on any cell in the "
              "row to select that single row.");

    // A date the calendar cannot show ends the edit with the calendar's error.
    form->List().At(1).Orig_Date = 5e6;
    Select_Row(Grid(), 1);
    Dialog_Script unshowable(Dialog(), Cancel);
    form->Edit_Entry_BitBtn->click();
    EXPECT_FALSE(unshowable.opened);
    EXPECT_EQ(Last_Message(), "Failed to set calendar date or time.");
    EXPECT_EQ(messages.shown.size(), 3U);
    form->List().At(1).Orig_Date = before.At(1).Orig_Date;
    EXPECT_TRUE(std::equal(before.Entries().begin(), before.Entries().end(),
                           form->List().Entries().begin(), form->List().Entries().end()));
}

TEST_F(Entry_Commands_Test, MidnightDuringTheDialogDoesNotMoveTheEntryBeingEdited) {
    Write_Data({{"Due today", 1990, 12, 7, "Birthday", ""}, {"Later", 1990, 12, 20, "Other", ""}});
    Start();
    form->Sort_By_Column_RadioGroup->Button(3)->click();  // Days Left
    ASSERT_EQ(Names(), QStringList({"Due today", "Later"}));
    Select_Row(Grid(), 1);
    // Re-sorted after midnight "Due today" would be last.
    form->Change_Of_Date_Check_Timer->start(1);

    Dialog_Script script(Dialog(), [this](TAdd_Modify_Form& dialog) {
        clock.Set(QDateTime(kMonday.addDays(1), QTime(0, 0, 1)));
        // The 1 ms date check is overdue by now; a probe started after it
        // fires after it, so once the probe has fired the check has had its
        // chance.
        const int refreshes = form->Refresh_Count();
        bool probed = false;
        QTimer::singleShot(2, [&probed] { probed = true; });
        EXPECT_TRUE(QTest::qWaitFor([&probed] { return probed; }, 5000));
        EXPECT_FALSE(form->Change_Of_Date_Check_Timer->isActive());
        EXPECT_EQ(form->Refresh_Count(), refreshes);
        dialog.Set_Comments("edited");
        dialog.OK_BitBtn->click();
    });
    form->Edit_Entry_BitBtn->click();

    ASSERT_EQ(form->List().Event_Count(), 2);
    EXPECT_EQ(form->List().At(1).Name, "Later");
    EXPECT_EQ(form->List().At(1).Comments, "");
    EXPECT_EQ(form->List().At(2).Name, "Due today");
    EXPECT_EQ(form->List().At(2).Comments, "edited");
}

TEST_F(Entry_Commands_Test, DeleteClosesTheGapWithoutSavingAndUndoReloads) {
    Write_Data(Numbered(10));
    Start();
    const std::string saved = Read_Bytes(Data());

    Grid().Set_Selection(QRect(QPoint(2, 2), QPoint(3, 4)));
    form->Delete_Selected_Rows_BitBtn->click();  // answered No
    EXPECT_EQ(form->List().Event_Count(), 10);
    EXPECT_EQ(Last_Message(), "Delete 3 row(s) ?  Are you sure ?");
    EXPECT_EQ(messages.shown.back().Kind, Message_Kind::Confirmation);

    messages.answers = {Message_Answer::Yes};
    form->Delete_Selected_Rows_Menu_Option->trigger();
    EXPECT_EQ(Names(), QStringList({"E001", "E005", "E006", "E007", "E008", "E009", "E010"}));
    EXPECT_EQ(form->List().At(8), TName_And_Event_Data{});
    EXPECT_EQ(Grid().Selection(), Whole_Row(2));
    EXPECT_EQ(Read_Bytes(Data()), saved);

    messages.answers = {Message_Answer::Yes};
    form->Undo_Deletes_Menu_Option->trigger();
    EXPECT_EQ(Last_Message(),
              "Do you want to Undo all Resets and Deletes since the last Add, Edit, or Import "
              "operation ?\n\ni.e.  Reload data from file ?  Are you sure ?");
    EXPECT_EQ(form->List().Event_Count(), 10);
    EXPECT_EQ(Names().at(1), "E002");

    // Past the end of the shortened list the last row is selected.
    Grid().Set_Selection(QRect(QPoint(2, 9), QPoint(3, 10)));
    messages.answers = {Message_Answer::Yes};
    form->Delete_Selected_Rows_BitBtn->click();
    EXPECT_EQ(form->List().Event_Count(), 8);
    EXPECT_EQ(Names().back(), "E008");
    EXPECT_EQ(Grid().Selection(), Whole_Row(8));
}

TEST_F(Entry_Commands_Test, DemoDataIsShownSortedUnsavedAndUndoTakesItAway) {
    Write_Data(Numbered(1));
    Start();
    const std::string saved = Read_Bytes(Data());
    messages.shown.clear();

    form->Create_Test_Demo_Data_Menu_OptionClick();
    EXPECT_EQ(form->List().Event_Count(), 15);
    EXPECT_EQ(Grid().Row_Count(), 16);
    EXPECT_EQ(Names().front(), "Ada and Felix");
    EXPECT_EQ(Grid().Selection(), Whole_Row(1));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(Read_Bytes(Data()), saved);
    // The five rows set from today fall due within the week.
    int this_week = 0;
    for (int row = 1; row < Grid().Row_Count(); ++row) {
        const int days_left = Grid().Cell(3, row).toInt();
        this_week += days_left >= 1 && days_left <= 7 ? 1 : 0;
    }
    EXPECT_GE(this_week, 5);

    messages.answers = {Message_Answer::Yes};
    form->Undo_Deletes_Menu_OptionClick();
    EXPECT_EQ(Names(), QStringList({"E001"}));
}

TEST_F(Entry_Commands_Test, TitleClicksSortThroughTheRadioGroupsAndARowDoubleClickEditsIt) {
    Write_Data({{"Bea", 1990, 12, 20, "Birthday", ""},
                {"Abe", 1990, 12, 9, "Birthday", ""},
                {"Cyd", 1990, 12, 30, "Birthday", ""}});
    Start();
    TFormatStringGrid& grid = Grid();
    const auto click_title = [&](int col) {
        QWidget* header = grid.childAt(grid.Cell_Rect(col, 0).center());
        QTest::mouseClick(header, Qt::LeftButton, {},
                          header->mapFrom(&grid, grid.Cell_Rect(col, 0).center()));
    };
    click_title(3);  // Days Left
    EXPECT_EQ(form->Sort_By_Column_RadioGroup->Item_Index(), 3);
    EXPECT_EQ(Names(), QStringList({"Abe", "Bea", "Cyd"}));
    EXPECT_EQ(grid.Sort_Indicator_Column(), 3);
    click_title(3);
    EXPECT_EQ(form->Ascending_Descending_RadioGroup->Item_Index(), 1);
    EXPECT_EQ(Names(), QStringList({"Cyd", "Bea", "Abe"}));
    EXPECT_EQ(grid.Sort_Indicator_Order(), Qt::DescendingOrder);
    click_title(0);
    EXPECT_EQ(Names(), QStringList({"Cyd", "Bea", "Abe"}));
    EXPECT_EQ(grid.Sort_Indicator_Column(), 0);

    // A double click on the second row edits that entry alone.
    Dialog_Script script(Dialog(), Fill_And_Accept("Bee", 32000, "Birthday", ""));
    const QPoint cell = grid.Cell_Rect(2, 2).center();
    QWidget* view = grid.childAt(cell);
    QTest::mouseDClick(view, Qt::LeftButton, {}, view->mapFrom(&grid, cell));
    EXPECT_EQ(script.caption, Edit_Caption);
    EXPECT_EQ(Names(), QStringList({"Cyd", "Bee", "Abe"}));

    // The title-chosen order is the one the close stores.
    ASSERT_TRUE(form->close());
    // Read as the profile functions do: a new file is UTF-16 on Windows.
    const Profile_File settings = Profile_File::Load(dir.File("Tessaly.ini"));
    EXPECT_EQ(settings.Read_Integer("Tessaly", "Sort_By_Column_RadioGroup", -2), 0);
    EXPECT_EQ(settings.Read_Integer("Tessaly", "Ascending_Descending_RadioGroup", -2), 1);
}

TEST_F(Entry_Commands_Test, DeletingEveryRowLeavesOneBlankSelectedRow) {
    Write_Data(Numbered(3));
    Start();
    Grid().Set_Selection(QRect(QPoint(0, 1), QPoint(6, 3)));
    messages.answers = {Message_Answer::Yes};
    form->Delete_Selected_Rows_BitBtn->click();

    EXPECT_EQ(form->List().Event_Count(), 0);
    EXPECT_EQ(Grid().Row_Count(), 2);
    EXPECT_EQ(Row(1), QStringList(7, QString()));
    EXPECT_EQ(Grid().Selection(), Whole_Row(1));

    form->Delete_Selected_Rows_BitBtn->click();
    EXPECT_EQ(Last_Message(), "Error: There are no entries to delete - the list is already empty.");
    EXPECT_EQ(messages.shown.size(), 2U);
}

TEST_F(Entry_Commands_Test, ResetRefreshesEitherWayAndUndoBringsTheListBack) {
    Write_Data({{"Ann", 1980, 5, 6, "Birthday", ""}, {"Bob", 1975, 7, 8, "Other", ""}});
    Start();
    Dialog().Set_Name("Last typed");
    Dialog().Set_Event_Type("Birthday");
    Dialog().Set_Comments("kept");

    // No: nothing erased, but the list is recomputed for a new day.
    clock.Set(QDateTime(kMonday.addDays(1), QTime(9, 0)));
    const int refreshes = form->Refresh_Count();
    form->Reset_Data_BitBtn->click();
    EXPECT_EQ(Last_Message(), "Erase all data in the list ?  Are you sure ?");
    EXPECT_EQ(form->List().Event_Count(), 2);
    EXPECT_GT(form->Refresh_Count(), refreshes);
    EXPECT_EQ(form->Refreshed_On(), Day_Number_Of(2026, 12, 8));

    messages.answers = {Message_Answer::Yes};
    form->Reset_Data_Menu_Option->trigger();
    EXPECT_EQ(form->List().Event_Count(), 0);
    EXPECT_EQ(Row(1), QStringList(7, QString()));
    EXPECT_EQ(Dialog().Name(), "");
    EXPECT_EQ(Dialog().Event_Type(), "");
    EXPECT_EQ(Dialog().Calendar_Date(), Day_Number_Of(2026, 12, 8));
    EXPECT_EQ(Dialog().Comments(), "kept");

    messages.answers = {Message_Answer::Yes};
    form->Undo_Deletes_Menu_OptionClick();
    EXPECT_EQ(Names(), QStringList({"Ann", "Bob"}));
}

TEST_F(Entry_Commands_Test, UndoWithoutDataFileShowsTheEmptiedList) {
    Start();
    form->Create_Test_Demo_Data_Menu_OptionClick();
    ASSERT_GT(Grid().Row_Count(), 2);

    form->Undo_Deletes_Menu_OptionClick();  // answered No
    EXPECT_GT(form->List().Event_Count(), 0);

    messages.answers = {Message_Answer::Yes};
    form->Undo_Deletes_Menu_OptionClick();
    EXPECT_EQ(form->List().Event_Count(), 0);
    EXPECT_EQ(Grid().Row_Count(), 2);
    EXPECT_EQ(Row(1), QStringList(7, QString()));
    EXPECT_EQ(messages.shown.size(), 2U);
}

}  // namespace

// A user without a mouse: the grid's own keys, Enter on a focused button,
// and the add dialog ready for typing.
TEST_F(Entry_Commands_Test, TheKeyboardAloneReachesTheEntryCommands) {
    Write_Data({{"Abe", 1990, 12, 9, "Birthday", ""},
                {"Bea", 1990, 12, 20, "Birthday", ""},
                {"Cyd", 1990, 12, 30, "Birthday", ""}});
    Start();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    auto* view = Grid().findChild<QAbstractItemView*>();
    ASSERT_NE(view, nullptr);
    view->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->hasFocus(); }));
    // Reading starts at the name, not at the empty comments on the right.
    EXPECT_EQ(Grid().Col(), 0);

    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(Grid().Row(), 2);
    QTest::keyClick(view, Qt::Key_Delete);  // answered No
    EXPECT_EQ(Last_Message(), "Delete 1 row(s) ?  Are you sure ?");
    EXPECT_EQ(form->List().Event_Count(), 3);

    {
        Dialog_Script script(Dialog(), Cancel);
        QTest::keyClick(view, Qt::Key_Return);
        EXPECT_EQ(script.caption, Edit_Caption);
    }

    // Enter presses the focused button, as Space does.
    form->Add_Entry_BitBtn->setFocus();
    QWidget* focused_in_dialog = nullptr;
    QString selected;
    QString kept;
    Dialog_Script script(Dialog(), [&](TAdd_Modify_Form& dialog) {
        // The dialog's own focus: the window may not be active yet.
        focused_in_dialog = dialog.focusWidget();
        selected = dialog.Name_Edit->selectedText();
        kept = dialog.Name();
        const Day_Number date = dialog.Calendar_Date();
        // Typed straight away, a name with a blank goes into the name field
        // and leaves the date alone.
        QTest::keyClicks(dialog.focusWidget(), "Ann Lee");
        EXPECT_EQ(dialog.Name(), "Ann Lee");
        EXPECT_EQ(dialog.Calendar_Date(), date);
        dialog.Cancel_BitBtn->click();
    });
    QTest::keyClick(form->Add_Entry_BitBtn, Qt::Key_Return);
    // Pressed as a short animated click, as Space presses it.
    EXPECT_TRUE(QTest::qWaitFor([&] { return script.opened && !Dialog().isVisible(); }));
    EXPECT_EQ(script.caption, Add_Caption);
    EXPECT_EQ(focused_in_dialog, Dialog().Name_Edit);
    // The name kept from last time (the edited entry's) is selected, so
    // typing replaces it.
    EXPECT_EQ(kept, "Bea");
    EXPECT_EQ(selected, kept);
}
