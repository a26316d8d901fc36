// The main window keeps the user's list: what it cannot read it never writes
// over, an unchanged list is not written again, and a file changed on disk is
// replaced only when the user says so.
#include <gtest/gtest.h>
#include <QSpinBox>

#include <cstdint>
#include <filesystem>
#include <string>

#include "core/data_file.h"
#include "core/program_folders.h"
#include "main_form_fixture.h"

namespace tessaly::test {
namespace {

namespace fs = std::filesystem;

class Main_Form_Data_File_Test : public Main_Form_Test {
protected:
    fs::path Beside(const std::string& name) const { return dir.File(name); }

    // Another program replaces the file, as editors and sync tools do.
    void Replace_On_Disk(const std::string& bytes) {
        Write_Bytes(Beside("incoming"), bytes);
        fs::rename(Beside("incoming"), Data());
    }
};

const std::string Broken = "V1.1\r\n2\r\nAnn\r\nnot a date\r\nBirthday\r\n";

TEST_F(Main_Form_Data_File_Test, FileThatFailedToLoadIsNeverWrittenOverByAnyCommand) {
    Write_Bytes(Data(), Broken);
    Start();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].Text.contains("Invalid numeric input"));

    // A change the user makes after the failure, then the close.
    form->Create_Test_Demo_Data_Menu_OptionClick();
    messages.answers = {Message_Answer::Ok, Message_Answer::No};
    EXPECT_FALSE(form->close());

    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[1].Kind, Message_Kind::Error);
    EXPECT_EQ(messages.shown[1].Text.toStdString(),
              "\"" + Data().string() +
                  "\" was not loaded, so it is not written over; your changes are in \"" +
                  Beside("Tessaly.dat.unsaved").string() + "\".");
    EXPECT_EQ(messages.shown[2].Kind, Message_Kind::Confirmation);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(Read_Bytes(Data()), Broken);
    EXPECT_EQ(Read_Bytes(Beside("Tessaly.dat.unsaved")), Serialise_Data_File(form->List()));
    EXPECT_EQ(Read_Bytes(Beside("Tessaly.dat.unreadable")), Broken);

    // Once the file is mended and reloaded, the list is saved as usual.
    Write_Data({{"Ann", 1998, 2, 14, "Birthday", ""}});
    messages.answers = {Message_Answer::Yes};
    form->Undo_Deletes_Menu_OptionClick();
    ASSERT_EQ(form->List().Event_Count(), 1);
    form->Create_Test_Demo_Data_Menu_OptionClick();
    messages.shown.clear();
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(Read_Bytes(Data()), Serialise_Data_File(form->List()));
}

TEST_F(Main_Form_Data_File_Test, CountThatDisagreesWithTheEntriesIsToldAndTheFileKeptAside) {
    const std::string bytes =
        "V1.1\r\n1\r\nAnn\r\n35840\r\nBirthday\r\n\r\n\r\n\r\n\r\n\r\n"
        "Bob\r\n35841\r\nBirthday\r\n\r\n\r\n\r\n\r\n\r\n";
    Write_Bytes(Data(), bytes);
    Start();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Information);
    EXPECT_TRUE(messages.shown[0].Text.contains("says it holds 1 entry, but more text follows"))
        << messages.shown[0].Text.toStdString();
    EXPECT_TRUE(messages.shown[0].Text.contains("Tessaly.dat.mismatched"));
    EXPECT_EQ(Names(), QStringList({"Ann"}));
    EXPECT_EQ(Read_Bytes(Beside("Tessaly.dat.mismatched")), bytes);

    // Closing writes the list as loaded, which mends the count; the copy
    // keeps Bob.
    EXPECT_TRUE(form->close());
    EXPECT_EQ(Read_Bytes(Data()),
              "V1.1\r\n1\r\nAnn\r\n 3.58400000000000E+0004\r\nBirthday\r\n"
              "\r\n\r\n\r\n\r\n\r\n");
    EXPECT_EQ(Read_Bytes(Beside("Tessaly.dat.mismatched")), bytes);
}

TEST_F(Main_Form_Data_File_Test, UnchangedListIsNotWrittenAtClose) {
    // In the default sort order (by name), so that loading moves nothing.
    Write_Data({{"Ann", 1998, 2, 14, "Birthday", ""}, {"Bob", 1970, 1, 1, "Wedding", "x"}});
    const std::uint64_t before = File_Identity(Data());
    Start();
    EXPECT_TRUE(form->close());
    EXPECT_EQ(File_Identity(Data()), before);
    EXPECT_FALSE(fs::exists(Beside("Tessaly.dat.bak")));
}

TEST_F(Main_Form_Data_File_Test, EmptyFirstRunCreatesNoDataFile) {
    Start();
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(fs::exists(Data()));
}

TEST_F(Main_Form_Data_File_Test, LfOnlyFileLoadsWholeAndIsSavedWithCrLf) {
    Write_Bytes(Data(), "V1.1\n2\nAnn\n35840\nBirthday\n\n\n\n\n\nBob\n10\nWedding\n\n\n\n\n\n");
    Start();
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_EQ(Names(), QStringList({"Ann", "Bob"}));

    form->Create_Test_Demo_Data_Menu_OptionClick();
    EXPECT_TRUE(form->close());
    const std::string saved = Read_Bytes(Data());
    EXPECT_EQ(saved, Serialise_Data_File(form->List()));
    EXPECT_NE(saved.find("\r\nAnn\r\n 3.58400000000000E+0004\r\nBirthday\r\n"), std::string::npos);
}

TEST_F(Main_Form_Data_File_Test, SaveKeepsThePreviousFileAsBackup) {
    Write_Data({{"Ann", 1998, 2, 14, "Birthday", ""}});
    const std::string previous = Read_Bytes(Data());
    Start();
    // Reset asks first.
    messages.answers = {Message_Answer::Yes};
    form->Reset_Data_BitBtnClick();
    ASSERT_EQ(form->List().Event_Count(), 0);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(Read_Bytes(Data()), "V1.1\r\n0\r\n");
    EXPECT_EQ(Read_Bytes(Beside("Tessaly.dat.bak")), previous);
}

TEST_F(Main_Form_Data_File_Test, FileChangedOnDiskIsKeptUnlessTheUserSaysOtherwise) {
    Write_Data({{"Ann", 1998, 2, 14, "Birthday", ""}});
    Start();
    form->Create_Test_Demo_Data_Menu_OptionClick();
    Event_List theirs;
    theirs.Append().Name = "Written elsewhere";
    Replace_On_Disk(Serialise_Data_File(theirs));

    // No: the file's version is loaded; the list shown is kept aside.
    const std::string ours = Serialise_Data_File(form->List());
    messages.answers = {Message_Answer::No, Message_Answer::Ok};
    form->Save_Data_To_File_ButtonClick();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Confirmation);
    EXPECT_TRUE(messages.shown[0].Text.contains("was changed by another program"));
    EXPECT_EQ(messages.shown[1].Kind, Message_Kind::Information);
    EXPECT_EQ(Read_Bytes(Data()), Serialise_Data_File(theirs));
    EXPECT_EQ(Read_Bytes(Beside("Tessaly.dat.unsaved")), ours);
    EXPECT_EQ(Names(), QStringList({"Written elsewhere"}));

    // Yes at the close: the list shown replaces the file, which is kept as
    // the backup.
    form->Create_Test_Demo_Data_Menu_OptionClick();
    Replace_On_Disk("V1.1\r\n0\r\n");
    messages.shown.clear();
    messages.answers = {Message_Answer::Yes};
    EXPECT_TRUE(form->close());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(Read_Bytes(Data()), Serialise_Data_File(form->List()));
    EXPECT_EQ(Read_Bytes(Beside("Tessaly.dat.bak")), "V1.1\r\n0\r\n");
}

TEST_F(Main_Form_Data_File_Test, ReadOnlyDataFileIsNotReplaced) {
    Write_Data({{"Ann", 1998, 2, 14, "Birthday", ""}});
    const std::string previous = Read_Bytes(Data());
    fs::permissions(Data(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    Start();
    form->Create_Test_Demo_Data_Menu_OptionClick();

    messages.answers = {Message_Answer::Ok, Message_Answer::Yes};
    EXPECT_TRUE(form->close());
    ASSERT_EQ(messages.shown.size(), 2u);
    // "Permission denied" on Linux, "Access denied" on Windows.
    EXPECT_TRUE(messages.shown[0].Text.contains("denied")) << messages.shown[0].Text.toStdString();
    EXPECT_EQ(Read_Bytes(Data()), previous);
}

TEST_F(Main_Form_Data_File_Test, TerminationSavesWithoutAskingAndKeepsAsideWhatCannotBeSaved) {
    Write_Data({{"Ann", 1998, 2, 14, "Birthday", ""}});
    Start();
    form->Create_Test_Demo_Data_Menu_OptionClick();
    form->Save_Before_Termination();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(Read_Bytes(Data()), Serialise_Data_File(form->List()));
    EXPECT_TRUE(fs::exists(dir.File("Tessaly.ini")));

    // Changed on disk, then failing: the list goes to the safe file, the
    // file stays as it is.
    const std::string theirs = "V1.1\r\n0\r\n";
    Replace_On_Disk(theirs);
    form->Create_Test_Demo_Data_Menu_OptionClick();
    form->Save_Before_Termination();
    EXPECT_EQ(Read_Bytes(Data()), theirs);
    EXPECT_EQ(Read_Bytes(Beside("Tessaly.dat.unsaved")), Serialise_Data_File(form->List()));

    form->Create_Test_Demo_Data_Menu_OptionClick();
    {
        Failing_Saves failing;
        form->Save_Before_Termination();
    }
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(Read_Bytes(Data()), theirs);
    EXPECT_EQ(Read_Bytes(Beside("Tessaly.dat.unsaved")), Serialise_Data_File(form->List()));
}

// An earlier version kept its files beside the executable; the installed one
// takes them across at its first start and says so once.
TEST_F(Main_Form_Data_File_Test, InstalledProgramTakesTheListFromBesideItsExecutableOnce) {
    Write_Data({{"Nora Vale", 1986, 12, 8, "Birthday", ""}});
    Write_Bytes(dir.File("Tessaly.ini"), "[Tessaly]\r\nDays_Threshold_SpinEdit=30\r\n");
    Main_Form_Services services = Services(dir.File("tessaly"));
    services.Folders = Program_Folders{.Data_Folder = dir.File("data"),
                                       .Settings_Folder = dir.File("config"),
                                       .Text_Folder = dir.Path(),
                                       .Installed = true};
    fs::create_directories(dir.File("data"));
    fs::create_directories(dir.File("config"));
    const Main_Form_Services again = services;
    form = std::make_unique<TMainForm1>(services);
    form->show();

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Information);
    EXPECT_EQ(messages.shown[0].Text,
              QString::fromStdString("Your list was copied from " + Data().string() + " to " +
                                     (dir.File("data") / "Tessaly.dat").string() +
                                     "; the original stays where it was.\n\nYour settings were "
                                     "copied from " +
                                     dir.File("Tessaly.ini").string() + " to " +
                                     (dir.File("config") / "Tessaly.ini").string() + " as well."));
    EXPECT_EQ(form->Data_File(), dir.File("data") / "Tessaly.dat");
    EXPECT_EQ(form->List().Event_Count(), 1);
    EXPECT_EQ(form->Days_Threshold_SpinEdit->value(), 30);
    ASSERT_TRUE(form->close());
    form.reset();

    form = std::make_unique<TMainForm1>(again);
    form->show();
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(form->List().Event_Count(), 1);
    EXPECT_TRUE(fs::exists(Data()));
}

}  // namespace
}  // namespace tessaly::test
