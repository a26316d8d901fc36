#include "main_form_fixture.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QGroupBox>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "ui/dialogs/add_modify_form.h"
#include "ui/dialogs/month_calendar.h"

namespace {

using namespace tessaly;
using namespace tessaly::test;

using Desktop_Commands_Test = Main_Form_Test;

TEST_F(Desktop_Commands_Test, StartUpFollowsTheAutoStartEntryAndTheShowCommandAndOnlyReads) {
    auto_start.Entries["tessaly"] = "/opt/tessaly/tessaly";
    startup.Show_Command = Startup_Show_Command::Minimised;
    Start();
    EXPECT_TRUE(form->Auto_Run_at_Windows_Startup_Option->isChecked());
    EXPECT_TRUE(form->windowState() & Qt::WindowMinimized);

    ASSERT_TRUE(form->close());
    EXPECT_EQ(auto_start.Entries,
              (std::map<std::string, std::string>{{"tessaly", "/opt/tessaly/tessaly"}}));
}

TEST_F(Desktop_Commands_Test, AnEntryUnderAnotherNameLeavesTheAutoRunMarkOff) {
    auto_start.Entries["other"] = "/usr/bin/other";
    startup.Show_Command = Startup_Show_Command::Maximised;
    Start();
    EXPECT_FALSE(form->Auto_Run_at_Windows_Startup_Option->isChecked());
    EXPECT_TRUE(form->isMaximized());
}

TEST_F(Desktop_Commands_Test, ShortDatesFollowTheRegionalPattern) {
    region.Pattern = "%Y-%m-%d";
    Write_Data({{"Ann", 1980, 5, 6, "Birthday", ""}});
    Start();
    EXPECT_EQ(form->All_GroupBox->title(), "  1 events listed,    Today's date is Mon, 2026-12-07");
    EXPECT_EQ(Row(1),
              QStringList({"Ann", "1980-05-06", "2027-05-06", "150", "47", "Birthday", ""}));
    EXPECT_EQ(form->Add_Modify_Form->MonthCalendar1->Today_Line(), "Today: 2026-12-07");
}

TEST_F(Desktop_Commands_Test, HelpCommandsOpenTheReadmeAndTheCatalogue) {
    TMainForm1& window = Start();
    window.View_Readme_file_OptionClick();
    window.View_Shareware_Catalog_OptionClick();
    ASSERT_EQ(editor.Viewed_Files, std::vector<std::filesystem::path>{dir.File("tessaly.txt")});
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Information);
    EXPECT_EQ(messages.shown[0].Text,
              "Harrow's Shareware Catalog is not in the same directory as Tessaly v1.0f.  The "
              "required file 'catalog.txt' was included in the distribution ZIP file.  Please "
              "unzip this file and try again.");

    test::Write_Bytes(dir.File("catalog.txt"), "x");
    editor.Editor_Found = false;
    window.View_Shareware_Catalog_OptionClick();
    EXPECT_EQ(editor.Viewed_Files.back(), dir.File("catalog.txt"));
    EXPECT_EQ(messages.shown.back().Text, "Windows Notepad could not be found.");

    TMainForm1 other(Services(dir.File("my.prog.exe")));
    editor.Editor_Found = true;
    other.View_Readme_file_OptionClick();
    EXPECT_EQ(editor.Viewed_Files.back(), dir.File("my.txt"));
}

}  // namespace
