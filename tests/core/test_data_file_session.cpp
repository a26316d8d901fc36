#include "core/data_file_session.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

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

}  // namespace
}  // namespace tessaly
