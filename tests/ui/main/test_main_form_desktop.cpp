#include "main_form_fixture.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QGroupBox>
#include <QMenu>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "desktop/fake/fake_daily_notification_task.h"
#include "ui/dialogs/add_modify_form.h"
#include "ui/dialogs/month_calendar.h"

namespace {

using namespace tessaly;
using namespace tessaly::test;

using Desktop_Commands_Test = Main_Form_Test;

TEST_F(Desktop_Commands_Test, StartUpFollowsTheAutoStartEntryAndTheShowCommandAndOnlyReads) {
    const std::string program = dir.File("tessaly").string();
    auto_start.Entries["tessaly"] = program;
    startup.Show_Command = Startup_Show_Command::Minimised;
    Start();
    EXPECT_TRUE(form->Auto_Run_at_Windows_Startup_Option->isChecked());
    EXPECT_TRUE(form->windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(messages.shown.empty());

    ASSERT_TRUE(form->close());
    EXPECT_EQ(auto_start.Entries, (std::map<std::string, std::string>{{"tessaly", program}}));
}

TEST_F(Desktop_Commands_Test, MovedProgramIsCorrectedOnYesAndKeptOnNoWithTheMarkSetEither) {
    auto_start.Entries["tessaly"] = "/opt/old place/tessaly";
    messages.answers = {Message_Answer::No};
    Start();
    EXPECT_TRUE(form->Auto_Run_at_Windows_Startup_Option->isChecked());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Warning);
    EXPECT_EQ(messages.shown[0].Caption, "Tessaly v1.0f");
    EXPECT_TRUE(messages.shown[0].Text.startsWith(
        "The directory / path settings required to make this program (tessaly)\nrun "
        "automatically at Windows Start-up"));
    EXPECT_TRUE(
        messages.shown[0].Text.contains(" Old      = /opt/old place/tessaly\n Current = " +
                                        QString::fromStdString(dir.File("tessaly").string())));
    EXPECT_EQ(auto_start.Entries.at("tessaly"), "/opt/old place/tessaly");
    ASSERT_TRUE(form->close());

    messages.shown.clear();
    messages.answers = {Message_Answer::Yes};
    Start();
    EXPECT_TRUE(form->Auto_Run_at_Windows_Startup_Option->isChecked());
    EXPECT_EQ(auto_start.Entries.at("tessaly"), dir.File("tessaly").string());
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].Text,
              "This program (tessaly) will now run automatically at Windows Start-Up.");
}

TEST_F(Desktop_Commands_Test, AutoRunMenuItemTogglesTheEntryAndKeepsItsMarkOnFailure) {
    Start();
    QAction& item = *form->Auto_Run_at_Windows_Startup_Option;
    ASSERT_TRUE(item.isEnabled());
    item.trigger();
    EXPECT_TRUE(item.isChecked());
    EXPECT_EQ(auto_start.Entries.at("tessaly"), dir.File("tessaly").string());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Information);
    EXPECT_EQ(messages.shown[0].Text,
              "This program (tessaly) will now run automatically at Windows Start-Up.");

    auto_start.Writable = false;
    item.trigger();
    EXPECT_TRUE(item.isChecked());
    EXPECT_EQ(messages.shown.back().Kind, Message_Kind::Error);
    EXPECT_TRUE(messages.shown.back().Text.startsWith(
        "Error: The required Registry Key settings \ncould not be removed"));

    auto_start.Writable = true;
    item.trigger();
    EXPECT_FALSE(item.isChecked());
    EXPECT_TRUE(auto_start.Entries.empty());
    EXPECT_EQ(messages.shown.back().Text,
              "This program (tessaly) will now no-longer run automatically at Windows Start-Up.");

    auto_start.Exists = false;
    item.trigger();
    EXPECT_FALSE(item.isChecked());
    EXPECT_TRUE(messages.shown.back().Text.startsWith(
        "Error: The specified Registry Key for this operation \ndoes NOT exist on your PC."));
}

TEST_F(Desktop_Commands_Test, DailyNotificationItemFollowsTheTaskAndSaysWhyAChangeFailed) {
    Start();
    EXPECT_FALSE(form->Daily_Notification_Option->isVisible());
    form->close();

    Fake_Daily_Notification_Task task;
    Main_Form_Services services = Services(dir.File("tessaly"));
    services.Daily_Task = &task;
    form = std::make_unique<TMainForm1>(services);
    form->show();
    QAction& item = *form->Daily_Notification_Option;
    ASSERT_TRUE(item.isVisible());
    // Made outside the window: the menu reads the task as it opens.
    task.Present = true;
    emit form->File_Menu->aboutToShow();
    EXPECT_TRUE(item.isChecked());

    struct Step {
        bool Writable;
        bool Present_After;
        const char* Error;  // empty: no message
    };
    const Step steps[] = {
        {true, false, ""},
        {false, false, "The daily notification could not be turned on: access is denied"},
        {true, true, ""},
        {false, true, "The daily notification could not be turned off: access is denied"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.Error);
        messages.shown.clear();
        task.Writable = step.Writable;
        item.trigger();
        EXPECT_EQ(task.Present, step.Present_After);
        EXPECT_EQ(item.isChecked(), step.Present_After);
        if (step.Error[0] == '\0') {
            EXPECT_TRUE(messages.shown.empty());
        } else {
            ASSERT_EQ(messages.shown.size(), 1u);
            EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Error);
            EXPECT_EQ(messages.shown[0].Text, QString::fromUtf8(step.Error));
        }
    }
    EXPECT_EQ(task.Folder, dir.Path());
}

TEST_F(Desktop_Commands_Test, ShortcutMenuItemsCreateInTheirFoldersAndDeleteAllReports) {
    for (const char* name : {"Desktop", "Start Menu", "SendTo"}) {
        std::filesystem::create_directories(dir.File(name));
        shell.Folders[name] = dir.File(name);
    }
    std::filesystem::create_directories(dir.File("Start Menu/Programs"));
    Start();
    form->Create_Shortcut_on_Desktop_Option->trigger();
    form->Create_Shortcut_on_Start_Menu_Option->trigger();
    form->Create_Shortcut_on_Start_Programs_Menu_Option->trigger();
    form->Create_Shortcut_on_SendTo_Menu_Option->trigger();
    EXPECT_TRUE(messages.shown.empty());
    for (const char* file : {"Desktop/tessaly.desktop", "Start Menu/tessaly.desktop",
                             "Start Menu/Programs/tessaly.desktop", "SendTo/tessaly.desktop"}) {
        EXPECT_EQ(shell.Saved[dir.File(file)], dir.File("tessaly")) << file;
    }

    form->Delete_All_Shortcuts_Option->trigger();
    form->Delete_All_Shortcuts_Option->trigger();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].Text,
              "Success: All Desktop, Start Menu, and SendTo shortcuts to \"tessaly\" have been "
              "deleted.");
    EXPECT_TRUE(messages.shown[1].Text.startsWith("No Desktop, Start Menu, or SendTo shortcuts"));
    EXPECT_TRUE(std::filesystem::exists(dir.File("Start Menu/Programs/tessaly.desktop")));

    shell.Folders.erase("SendTo");
    form->Create_Shortcut_on_SendTo_Menu_Option->trigger();
    EXPECT_EQ(messages.shown.back().Text,
              "REGISTRY_INC__Create_Shortcut Error: The key \"SendTo\" is invalid or could not be "
              "found in the registry.");
}

TEST_F(Desktop_Commands_Test, EntriesThatCouldNotStartTheProgramAreRefusedAndNotTicked) {
    shell.Folders["Desktop"] = dir.Path();
    auto_start.Unstartable = "desktops cannot start a program whose path holds \"%\"";
    shell.Unstartable = auto_start.Unstartable;
    Start();
    form->Auto_Run_at_Windows_Startup_Option->trigger();
    EXPECT_FALSE(form->Auto_Run_at_Windows_Startup_Option->isChecked());
    EXPECT_TRUE(auto_start.Entries.empty());
    form->Create_Shortcut_on_Desktop_Option->trigger();
    EXPECT_EQ(shell.Saves, 0);
    ASSERT_EQ(messages.shown.size(), 2u);
    for (const auto& shown : messages.shown) {
        EXPECT_EQ(shown.Kind, Message_Kind::Error);
        EXPECT_TRUE(shown.Text.contains(
            QStringLiteral(": desktops cannot start a program whose path holds \"%\".\n")))
            << shown.Text.toStdString();
    }
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

// Installed, the files live in three folders, none of them the executable's.
TEST_F(Desktop_Commands_Test, InstalledWindowKeepsEachFileInItsFolder) {
    for (const char* name : {"data", "config", "share"}) {
        std::filesystem::create_directories(dir.File(name));
    }
    test::Write_Bytes(dir.File("share") / "catalog.txt", "x");
    Main_Form_Services services = Services(dir.File("bin") / "tessaly");
    services.Folders = Program_Folders{.Data_Folder = dir.File("data"),
                                       .Settings_Folder = dir.File("config"),
                                       .Text_Folder = dir.File("share"),
                                       .Installed = true};
    auto window = std::make_unique<TMainForm1>(std::move(services));
    window->show();
    EXPECT_EQ(window->Data_File(), dir.File("data") / "Tessaly.dat");
    EXPECT_EQ(window->Settings_File(), dir.File("config") / "Tessaly.ini");
    window->View_Readme_file_OptionClick();
    window->View_Shareware_Catalog_OptionClick();
    EXPECT_EQ(editor.Viewed_Files,
              std::vector<std::filesystem::path>(
                  {dir.File("share") / "tessaly.txt", dir.File("share") / "catalog.txt"}));
    window->Create_Test_Demo_Data_Menu_OptionClick();
    window->Save_Data_To_File_ButtonClick();
    window->close();
    EXPECT_TRUE(std::filesystem::exists(dir.File("config") / "Tessaly.ini"));
    EXPECT_TRUE(std::filesystem::exists(dir.File("data") / "Tessaly.dat"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("bin")));
}

}  // namespace
