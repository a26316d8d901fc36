#include "core/data_file_session.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/dated_backups.h"
#include "core/errors.h"
#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using test::Read_Bytes;
using test::Temp_Dir;
using test::Write_Bytes;

const std::string Two_Entries =
    "V1.1\r\n2\r\nAnn\r\n 3.58400000000000E+0004\r\nBirthday\r\n\r\n\r\n\r\n\r\n\r\n"
    "Bob\r\n 1.00000000000000E+0001\r\nWedding\r\n\r\n\r\n\r\n\r\n\r\n";

class Data_File_Session_Test : public ::testing::Test {
protected:
    fs::path File() const { return dir_.File("Tessaly.dat"); }
    fs::path Backup() const { return dir_.File("Tessaly.dat.bak"); }
    void Add(const std::string& name) {
        TName_And_Event_Data& entry = list_.Append();
        entry.Name = name;
        entry.Orig_Date = 100;
        entry.Event_Type = "T";
    }
    // Another program writes the file: a new inode, as editors and sync
    // tools replace files.
    void Replace_On_Disk(const std::string& bytes) {
        Write_Bytes(dir_.File("other"), bytes);
        fs::rename(dir_.File("other"), File());
    }

    Temp_Dir dir_;
    Data_File_Session session_{dir_.File("Tessaly.dat")};
    Event_List list_;
};

TEST_F(Data_File_Session_Test, UnchangedListIsNotWrittenAgain) {
    // No file and an empty list: the first close creates nothing.
    ASSERT_EQ(session_.Load(list_, {}), Load_Result::No_File);
    EXPECT_EQ(session_.Save(list_), Data_File_Session::Save_Result::Unchanged);
    EXPECT_FALSE(fs::exists(File()));

    Write_Bytes(File(), Two_Entries);
    ASSERT_EQ(session_.Load(list_, {}), Load_Result::Loaded);
    struct stat before {};
    ::stat(File().c_str(), &before);
    EXPECT_EQ(session_.Save(list_), Data_File_Session::Save_Result::Unchanged);
    struct stat after {};
    ::stat(File().c_str(), &after);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_FALSE(fs::exists(Backup()));
}

TEST_F(Data_File_Session_Test, SaveKeepsThePreviousFileAsBackup) {
    Write_Bytes(File(), Two_Entries);
    ASSERT_EQ(session_.Load(list_, {}), Load_Result::Loaded);
    Add("Cy");

    EXPECT_EQ(session_.Save(list_), Data_File_Session::Save_Result::Saved);
    EXPECT_EQ(Read_Bytes(File()), Serialise_Data_File(list_));
    EXPECT_EQ(Read_Bytes(Backup()), Two_Entries);

    // Its own save is no change on disk: the next one goes straight through.
    Add("Di");
    EXPECT_EQ(session_.Save(list_), Data_File_Session::Save_Result::Saved);
    EXPECT_EQ(Read_Bytes(File()), Serialise_Data_File(list_));
}

TEST_F(Data_File_Session_Test, FileChangedOnDiskIsWrittenOverOnlyWhenAsked) {
    Write_Bytes(File(), Two_Entries);
    ASSERT_EQ(session_.Load(list_, {}), Load_Result::Loaded);
    const std::string theirs = "V1.1\r\n0\r\n";
    Replace_On_Disk(theirs);

    // The list here did not change: the file's version stands, silently.
    EXPECT_EQ(session_.Save(list_), Data_File_Session::Save_Result::Unchanged);
    EXPECT_EQ(Read_Bytes(File()), theirs);

    Add("Cy");
    EXPECT_EQ(session_.Save(list_), Data_File_Session::Save_Result::Changed_On_Disk);
    EXPECT_EQ(Read_Bytes(File()), theirs);
    EXPECT_EQ(session_.Save(list_, true), Data_File_Session::Save_Result::Saved);
    EXPECT_EQ(Read_Bytes(File()), Serialise_Data_File(list_));
    EXPECT_EQ(Read_Bytes(Backup()), theirs);
}

TEST_F(Data_File_Session_Test, FileCreatedOrRemovedSinceCountsAsAChange) {
    ASSERT_EQ(session_.Load(list_, {}), Load_Result::No_File);
    Write_Bytes(File(), Two_Entries);
    Add("Cy");
    EXPECT_EQ(session_.Save(list_), Data_File_Session::Save_Result::Changed_On_Disk);
    EXPECT_EQ(Read_Bytes(File()), Two_Entries);

    ASSERT_EQ(session_.Load(list_, {}), Load_Result::Loaded);
    fs::remove(File());
    Add("Di");
    EXPECT_EQ(session_.Save(list_), Data_File_Session::Save_Result::Changed_On_Disk);
    EXPECT_FALSE(fs::exists(File()));
}

TEST_F(Data_File_Session_Test, FileThatFailedToLoadIsNeverWrittenOver) {
    const std::string broken = "V1.1\r\n2\r\nAnn\r\nnot a date\r\n";
    Write_Bytes(File(), broken);
    EXPECT_THROW(session_.Load(list_, {}), Load_Error);
    EXPECT_TRUE(session_.Load_Failed());

    // Nothing changed since: nothing to say, nothing written.
    EXPECT_EQ(session_.Save(list_), Data_File_Session::Save_Result::Unchanged);

    Add("Cy");
    for (const bool overwrite : {false, true}) {
        try {
            session_.Save(list_, overwrite);
            ADD_FAILURE() << "saved";
        } catch (const File_Error& error) {
            EXPECT_EQ(std::string(error.what()),
                      "\"" + File().string() +
                          "\" was not loaded, so it is not written over; your changes are in \"" +
                          dir_.File("Tessaly.dat.unsaved").string() + "\".");
        }
    }
    EXPECT_EQ(Read_Bytes(File()), broken);
    EXPECT_EQ(Read_Bytes(dir_.File("Tessaly.dat.unsaved")), Serialise_Data_File(list_));
    EXPECT_FALSE(fs::exists(Backup()));

    // Mended on disk and loaded again: saving works again.
    Write_Bytes(File(), Two_Entries);
    ASSERT_EQ(session_.Load(list_, {}), Load_Result::Loaded);
    EXPECT_FALSE(session_.Load_Failed());
    Add("Di");
    EXPECT_EQ(session_.Save(list_), Data_File_Session::Save_Result::Saved);
}

TEST_F(Data_File_Session_Test, SafeFileOfAnEarlierRunIsNeverReplaced) {
    Write_Bytes(dir_.File("Tessaly.dat.unsaved"), "earlier");
    Write_Bytes(dir_.File("Tessaly.dat.unsaved-2"), "earlier too");
    Add("Cy");

    EXPECT_EQ(session_.Keep_Aside(list_), dir_.File("Tessaly.dat.unsaved-3"));
    Add("Di");
    EXPECT_EQ(session_.Keep_Aside(list_), dir_.File("Tessaly.dat.unsaved-3"));

    EXPECT_EQ(Read_Bytes(dir_.File("Tessaly.dat.unsaved")), "earlier");
    EXPECT_EQ(Read_Bytes(dir_.File("Tessaly.dat.unsaved-3")), Serialise_Data_File(list_));
}

// 10 December 2026, 14:03:22.
const Date_And_Time kNow{2026, 12, 10, 14, 3, 22};

std::vector<fs::path> Copies_In(const fs::path& folder) {
    std::vector<fs::path> copies;
    for (const auto& entry : fs::directory_iterator(folder)) {
        copies.push_back(entry.path().filename());
    }
    std::sort(copies.begin(), copies.end());
    return copies;
}

TEST_F(Data_File_Session_Test, EachSaveThatChangesTheFileKeepsTheVersionItReplacesDated) {
    const fs::path folder = dir_.File("Tessaly backups");
    session_.Set_Backup_Clock([] { return kNow; });
    // The first save of a new list has nothing to keep.
    ASSERT_EQ(session_.Load(list_, {}), Load_Result::No_File);
    Add("Ann");
    ASSERT_EQ(session_.Save(list_), Data_File_Session::Save_Result::Saved);
    EXPECT_FALSE(fs::exists(folder));

    Write_Bytes(File(), Two_Entries);
    ASSERT_EQ(session_.Load(list_, {}), Load_Result::Loaded);
    // Thirty copies from years ago: pruning leaves the newest twenty.
    for (int day = 1; day <= 30; ++day) {
        Keep_Dated_Backup(File(), "old", {2020, 1, day, 12, 0, 0});
    }
    Add("Cy");
    const std::string with_cy = Serialise_Data_File(list_);
    EXPECT_EQ(session_.Save(list_), Data_File_Session::Save_Result::Saved);
    EXPECT_EQ(session_.Save(list_), Data_File_Session::Save_Result::Unchanged);
    Add("Di");
    EXPECT_EQ(session_.Save(list_), Data_File_Session::Save_Result::Saved);

    const std::vector<fs::path> copies = Copies_In(folder);
    ASSERT_EQ(copies.size(), 20u);
    EXPECT_EQ(copies[17], "Tessaly 2020-01-30 12-00-00.dat");
    EXPECT_EQ(copies[18], "Tessaly 2026-12-10 14-03-22.dat");
    EXPECT_EQ(copies[19], "Tessaly 2026-12-10 14-03-22_02.dat");
    EXPECT_EQ(Read_Bytes(folder / copies[18]), Two_Entries);
    EXPECT_EQ(Read_Bytes(folder / copies[19]), with_cy);
    // The single backup stays as it was.
    EXPECT_EQ(Read_Bytes(Backup()), with_cy);

    // Written over with what the file already holds: no copy of the same.
    Add("Ed");
    Replace_On_Disk(Serialise_Data_File(list_));
    EXPECT_EQ(session_.Save(list_, true), Data_File_Session::Save_Result::Saved);
    EXPECT_EQ(Copies_In(folder).size(), 20u);
}

TEST_F(Data_File_Session_Test, ABackupThatCannotBeKeptNeverStopsTheSave) {
    session_.Set_Backup_Clock([] { return kNow; });
    std::vector<std::string> told;
    session_.Set_Backup_Failure_Handler([&told](const std::string& text) { told.push_back(text); });
    Write_Bytes(File(), Two_Entries);
    ASSERT_EQ(session_.Load(list_, {}), Load_Result::Loaded);
    Write_Bytes(dir_.File("Tessaly backups"), "mine");
    Add("Cy");

    EXPECT_EQ(session_.Save(list_), Data_File_Session::Save_Result::Saved);
    EXPECT_EQ(Read_Bytes(File()), Serialise_Data_File(list_));
    EXPECT_EQ(Read_Bytes(Backup()), Two_Entries);
    EXPECT_EQ(Read_Bytes(dir_.File("Tessaly backups")), "mine");
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0],
              "The list was saved, but no backup of its previous version was kept: "
              "Cannot keep a backup in \"" +
                  dir_.File("Tessaly backups").string() + "\": it is not a folder");
}

}  // namespace
}  // namespace tessaly
