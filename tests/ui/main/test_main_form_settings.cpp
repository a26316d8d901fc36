#include "ui/main/main_form.h"

#include "main_form_fixture.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QScreen>
#include <QSpinBox>

#include <filesystem>
#include <string>
#include <vector>

#include "core/profile_file.h"
#include "report/report_window.h"
#include "ui/dialogs/add_modify_form.h"
#include "ui/main/radio_group.h"

namespace {

using namespace tessaly;
using namespace tessaly::test;

class Settings_Test : public Main_Form_Test {
protected:
    std::filesystem::path Ini() const { return dir.File("Tessaly.ini"); }

    Profile_File Saved() const { return Profile_File::Load(Ini()); }
    int Saved_Integer(const char* key) const { return Saved().Read_Integer("Tessaly", key, -999); }

    void Close_And_Restart() {
        ASSERT_TRUE(form->close());
        form.reset();
        Start();
    }
};

const std::vector<std::string> Write_Order = {"WindowState_wsMaximized",
                                              "window_top_posn",
                                              "window_left_posn",
                                              "window_Width",
                                              "window_Height",
                                              "Always_on_Top_Option",
                                              "Auto_Run_at_Windows_Startup_Option",
                                              "Days_Threshold_SpinEdit",
                                              "Sort_By_Column_RadioGroup",
                                              "Ascending_Descending_RadioGroup",
                                              "Name_Edit",
                                              "MonthCalendar1",
                                              "Event_Type_ComboBox",
                                              "Auto_Display_Coming_Events_Report_CheckBox",
                                              "Dialog_Richedit_top_posn",
                                              "Dialog_Richedit_left_posn",
                                              "Dialog_Richedit_width",
                                              "Dialog_Richedit_height"};

TEST_F(Settings_Test, FirstRunUsesDefaultsAndCloseWritesAllKeysInOrder) {
    TMainForm1& window = Start();
    EXPECT_EQ(window.frameGeometry(), QRect(20, 20, 705, 472));
    EXPECT_FALSE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window.Sort_By_Column_RadioGroup->Item_Index(), 0);
    EXPECT_EQ(window.Ascending_Descending_RadioGroup->Item_Index(), 0);
    EXPECT_EQ(window.Days_Threshold_SpinEdit->value(), 14);
    EXPECT_FALSE(window.Auto_Display_Coming_Events_Report_CheckBox->isChecked());
    EXPECT_EQ(window.Add_Modify_Form->Calendar_Date(), clock.Today());
    EXPECT_EQ(window.Birthday_And_Date_Report_Form->size(),
              QSize(Report_Form_Design_Width, Report_Form_Design_Height));

    ASSERT_TRUE(window.close());
    std::vector<std::string> keys;
    const Profile_File saved = Saved();
    for (const Profile_Line& line : saved.Lines()) {
        if (line.Line_Kind == Profile_Line::Kind::Key) {
            keys.push_back(line.Name);
        }
    }
    EXPECT_EQ(keys, Write_Order);
    EXPECT_EQ(Saved_Integer("MonthCalendar1"), static_cast<int>(clock.Today()));
    EXPECT_EQ(Saved_Integer("Days_Threshold_SpinEdit"), 14);
}

TEST_F(Settings_Test, EveryKeyRoundTripsThroughCloseAndRestart) {
    const Day_Number date = Day_Number_Of(1990, 5, 17);
    test::Write_Bytes(Ini(),
                      "[Tessaly]\r\nwindow_top_posn=40\r\nwindow_left_posn=-3000\r\n"
                      "window_Width=800\r\nwindow_Height=500\r\nAlways_on_Top_Option=1\r\n"
                      "Auto_Run_at_Windows_Startup_Option=1\r\nWindowState_wsMaximized=0\r\n"
                      "Sort_By_Column_RadioGroup=3\r\nAscending_Descending_RadioGroup=1\r\n"
                      "Days_Threshold_SpinEdit=30\r\nName_Edit=Ann Smith\r\n"
                      "MonthCalendar1=" +
                          std::to_string(static_cast<int>(date)) +
                          "\r\nEvent_Type_ComboBox=Wedding\r\n"
                          "Auto_Display_Coming_Events_Report_CheckBox=1\r\n"
                          "Dialog_Richedit_top_posn=70\r\nDialog_Richedit_left_posn=90\r\n"
                          "Dialog_Richedit_width=700\r\nDialog_Richedit_height=9000\r\n");
    const std::string before = test::Read_Bytes(Ini());
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        TMainForm1& window = run == 0 ? Start() : *form;
        // Left of every screen the window is shown on one, and its stored
        // place is kept, as the file below shows.
        EXPECT_EQ(window.frameGeometry(), QRect(0, 40, 800, 500));
        EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
        // The log-in entry decides the Auto-Run mark; there is none.
        EXPECT_FALSE(window.Auto_Run_at_Windows_Startup_Option->isChecked());
        EXPECT_EQ(window.Sort_By_Column_RadioGroup->Item_Index(), 3);
        EXPECT_EQ(window.Ascending_Descending_RadioGroup->Item_Index(), 1);
        EXPECT_EQ(window.Days_Threshold_SpinEdit->value(), 30);
        EXPECT_EQ(window.Add_Modify_Form->Name(), "Ann Smith");
        EXPECT_EQ(window.Add_Modify_Form->Calendar_Date(), date);
        EXPECT_EQ(window.Add_Modify_Form->Event_Type(), "Wedding");
        EXPECT_TRUE(window.Auto_Display_Coming_Events_Report_CheckBox->isChecked());
        EXPECT_EQ(window.Birthday_And_Date_Report_Form->Top(), 70);
        EXPECT_EQ(window.Birthday_And_Date_Report_Form->Left(), 90);
        // No taller than the screen, and stored as it was.
        EXPECT_EQ(window.Birthday_And_Date_Report_Form->size(),
                  QSize(700, window.screen()->availableGeometry().height()));
        Close_And_Restart();
    }
    // Written back as read, but for the Auto-Run mark and the key order.
    std::string expected = before;
    expected.replace(expected.find("Startup_Option=1"), 16, "Startup_Option=0");
    EXPECT_EQ(Saved().Read_String("Tessaly", "Auto_Run_at_Windows_Startup_Option"), "0");
    for (const std::string& key : Write_Order) {
        EXPECT_EQ(Saved().Read_String("Tessaly", key),
                  Profile_File(expected).Read_String("Tessaly", key))
            << key;
    }
}

TEST_F(Settings_Test, MaximisedCloseWritesFlagAndRestoredBounds) {
    TMainForm1& window = Start();
    window.setWindowState(window.windowState() | Qt::WindowMaximized);
    ASSERT_TRUE(window.isMaximized());
    Close_And_Restart();
    EXPECT_EQ(Saved_Integer("WindowState_wsMaximized"), 1);
    EXPECT_EQ(Saved_Integer("window_top_posn"), 20);
    EXPECT_EQ(Saved_Integer("window_left_posn"), 20);
    EXPECT_EQ(Saved_Integer("window_Width"), 705);
    EXPECT_EQ(Saved_Integer("window_Height"), 472);
    EXPECT_TRUE(form->isMaximized());
}

TEST_F(Settings_Test, OutOfRangeValuesAreBroughtIntoRange) {
    test::Write_Bytes(Ini(),
                      "[Tessaly]\nDays_Threshold_SpinEdit=500\nSort_By_Column_RadioGroup=-5\n"
                      "Ascending_Descending_RadioGroup=9\nAlways_on_Top_Option=yes\n");
    TMainForm1& window = Start();
    EXPECT_EQ(window.Days_Threshold_SpinEdit->value(), 100);
    EXPECT_EQ(window.Sort_By_Column_RadioGroup->Item_Index(), -1);
    EXPECT_EQ(window.Ascending_Descending_RadioGroup->Item_Index(), 1);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    // Half-typed text in the spin edit at close.
    window.Days_Threshold_SpinEdit->findChild<QLineEdit*>()->setText(QString());
    Close_And_Restart();
    EXPECT_EQ(Saved_Integer("Days_Threshold_SpinEdit"), 1);
    EXPECT_EQ(Saved_Integer("Sort_By_Column_RadioGroup"), -1);

    test::Write_Bytes(Ini(), "[Tessaly]\nDays_Threshold_SpinEdit=0\nSort_By_Column_RadioGroup=9\n");
    form.reset();
    Start();
    EXPECT_EQ(form->Days_Threshold_SpinEdit->value(), 1);
    EXPECT_EQ(form->Sort_By_Column_RadioGroup->Item_Index(), 6);
}

TEST_F(Settings_Test, SaveKeepsOtherSectionsCommentsAndSpacing) {
    test::Write_Bytes(Ini(),
                      "; my notes\r\n[Other]\r\nDays_Threshold_SpinEdit=3\r\n\r\n"
                      "[tessaly]\r\n  Days_Threshold_SpinEdit =  30  \r\nmine=keep\r\n");
    Start();
    ASSERT_TRUE(form->close());
    // As text: an ASCII file is saved in UTF-16 on Windows.
    const Profile_File file = Saved();
    std::string saved;
    for (const Profile_Line& line : file.Lines()) {
        saved += line.Text + line.Line_End;
    }
    EXPECT_EQ(saved.rfind("; my notes\r\n[Other]\r\nDays_Threshold_SpinEdit=3\r\n\r\n"
                          "[tessaly]\r\n  Days_Threshold_SpinEdit =  30\r\nmine=keep\r\n",
                          0),
              0u)
        << saved;
}

TEST_F(Settings_Test, UnwritableSettingsStillSaveTheDataFile) {
    test::Write_Bytes(Ini(), "[Tessaly]\r\nDays_Threshold_SpinEdit=30\r\n");
    std::filesystem::permissions(Ini(), std::filesystem::perms::owner_read);
    TMainForm1& window = Start();
    window.Create_Test_Demo_Data_Menu_OptionClick();
    messages.answers = {Message_Answer::Ok, Message_Answer::No};
    EXPECT_FALSE(window.close());
    ASSERT_GE(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Error);
    EXPECT_EQ(messages.shown[0].Text,
              QString::fromStdString("Unable to write to " + Ini().string()));
    EXPECT_EQ(messages.shown[1].Kind, Message_Kind::Confirmation);
    EXPECT_TRUE(messages.shown[1].Text.contains("the list was saved"));
    Event_List saved;
    Load_Data_From_File_ButtonClick(saved, Data(), {});
    EXPECT_EQ(saved.Event_Count(), window.List().Event_Count());
    EXPECT_GT(saved.Event_Count(), 0);
    EXPECT_EQ(test::Read_Bytes(Ini()), "[Tessaly]\r\nDays_Threshold_SpinEdit=30\r\n");

    messages.answers = {Message_Answer::Ok, Message_Answer::Yes};
    EXPECT_TRUE(window.close());
}

TEST_F(Settings_Test, RestoreFactoryDefaultsDeletesTheFileAndAppliesDefaultsAtOnce) {
    Write_Data({{"Zoe", 1980, 1, 2, "", ""}, {"Adam", 1970, 3, 4, "", ""}});
    test::Write_Bytes(Ini(),
                      "[Tessaly]\nwindow_top_posn=90\nAlways_on_Top_Option=1\n"
                      "Sort_By_Column_RadioGroup=0\nAscending_Descending_RadioGroup=1\n"
                      "Days_Threshold_SpinEdit=50\nName_Edit=Bob\nEvent_Type_ComboBox=Wedding\n"
                      "MonthCalendar1=1000\nDialog_Richedit_top_posn=300\n"
                      "Dialog_Richedit_width=700\n");
    std::filesystem::permissions(Ini(), std::filesystem::perms::owner_read);
    TMainForm1& window = Start();
    window.setWindowState(window.windowState() | Qt::WindowMaximized);
    EXPECT_EQ(Names(), QStringList({"Zoe", "Adam"}));

    window.Restore_Factory_Defaults_OptionClick();  // No
    EXPECT_TRUE(std::filesystem::exists(Ini()));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Warning);
    // Short lines of whole phrases, the question on its own.
    const QStringList lines = messages.shown[0].Text.split('\n');
    ASSERT_EQ(lines.size(), 7);
    EXPECT_TRUE(lines[1].isEmpty());
    EXPECT_TRUE(lines[5].isEmpty());
    EXPECT_EQ(lines[6], "Restore the factory defaults now?");

    messages.answers = {Message_Answer::Yes};
    window.Restore_Factory_Defaults_OptionClick();
    EXPECT_EQ(file_system.Deleted, std::vector<std::filesystem::path>{Ini()});
    EXPECT_FALSE(std::filesystem::exists(Ini()));
    EXPECT_FALSE(window.isMaximized());
    EXPECT_FALSE(window.isMinimized());
    EXPECT_EQ(window.frameGeometry(), QRect(20, 20, 705, 472));
    EXPECT_FALSE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window.Ascending_Descending_RadioGroup->Item_Index(), 0);
    EXPECT_EQ(Names(), QStringList({"Adam", "Zoe"}));
    EXPECT_EQ(window.Days_Threshold_SpinEdit->value(), 14);
    EXPECT_EQ(window.Add_Modify_Form->Name(), "");
    EXPECT_EQ(window.Add_Modify_Form->Event_Type(), "");
    EXPECT_EQ(window.Add_Modify_Form->Calendar_Date(), clock.Today());
    EXPECT_EQ(window.Birthday_And_Date_Report_Form->Top(), 20);
    EXPECT_EQ(window.Birthday_And_Date_Report_Form->Window_Width(), Report_Form_Design_Width);

    ASSERT_TRUE(window.close());
    EXPECT_EQ(Saved_Integer("Days_Threshold_SpinEdit"), 14);
    EXPECT_EQ(Saved_Integer("Always_on_Top_Option"), 0);
}

}  // namespace
