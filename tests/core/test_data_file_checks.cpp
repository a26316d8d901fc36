// What the data file guards against beyond its reading rules: saving a list
// that could not be loaded again, and a count that disagrees with the entries.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/atomic_file.h"
#include "core/data_file.h"
#include "core/data_file_session.h"
#include "test_support/posix_files.h"
#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using test::Mode_Of;
using test::Read_Bytes;
using test::Temp_Dir;
using test::Write_Bytes;

std::string Entry_Lines(const std::string& name, const std::string& date = "35840") {
    return name + "\r\n" + date + "\r\nBirthday\r\n\r\n\r\n\r\n\r\n\r\n";
}

class Data_File_Checks : public ::testing::Test {
protected:
    fs::path File() const { return dir_.File("Tessaly.dat"); }

    Temp_Dir dir_;
    Event_List list_;
};

TEST_F(Data_File_Checks, ListThatCouldNotBeLoadedAgainIsRefusedAndNothingIsWritten) {
    Write_Bytes(File(), "V1.1\r\n0\r\n");
    list_.Append().Name = "Da\0ve"s;
    list_.At(1).Orig_Date = 35840;
    try {
        Save_Data_To_File_ButtonClick(list_, File());
        FAIL() << "a NUL byte was saved";
    } catch (const Unsaveable_List_Error& error) {
        EXPECT_NE(std::string(error.what()).find("could not read it back"), std::string::npos)
            << error.what();
    }
    EXPECT_EQ(Read_Bytes(File()), "V1.1\r\n0\r\n");

    // The session refuses it too, and keeps nothing aside that it could not read.
    Data_File_Session session(File());
    session.Load(list_, {});
    list_.Append().Name = "Bo\0b"s;
    EXPECT_THROW(session.Save(list_), Unsaveable_List_Error);
    EXPECT_THROW(session.Keep_Aside(list_), Unsaveable_List_Error);
    EXPECT_EQ(Read_Bytes(File()), "V1.1\r\n0\r\n");
    EXPECT_FALSE(fs::exists(dir_.File("Tessaly.dat.unsaved")));

    // A date the load refuses is caught the same way.
    list_.Initialise_Entire_Array_ButtonClick();
    list_.Append().Orig_Date = 1e300;
    EXPECT_THROW(session.Save(list_), Unsaveable_List_Error);
}

TEST_F(Data_File_Checks, FileLargerThanTheLoadReadsIsRefusedWithItsSize) {
    std::string bytes = "V1.1\r\n1\r\n" + Entry_Lines("Ann");
    bytes.resize(Largest_Readable_File + 1, ' ');
    try {
        Check_Loadable(bytes, 1);
        FAIL() << "no error";
    } catch (const Unsaveable_List_Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "The list was not saved: as a data file it would take 257 MiB, and Tessaly "
                  "reads data files of at most 256 MiB. Shorten long comments or remove entries, "
                  "then save again.");
    }
    bytes.resize(Largest_Readable_File);
    EXPECT_NO_THROW(Check_Loadable(bytes, 1));
}

struct Mismatch_Case {
    const char* name;
    std::string bytes;
    int loaded;
    std::string said;
};

class Count_Mismatch : public Data_File_Checks,
                       public ::testing::WithParamInterface<Mismatch_Case> {};

TEST_P(Count_Mismatch, LoadsByTheRulesKeepsTheFileAsideAndTellsTheUser) {
    const std::string& bytes = GetParam().bytes;
    Write_Bytes(File(), bytes);
    ASSERT_EQ(::chmod(File().c_str(), 0600), 0);
    const mode_t old_mask = ::umask(022);
    std::vector<std::string> said;
    Load_Options options;
    options.Keep_Unreadable_Copy = true;
    options.On_Count_Mismatch = [&said](const std::string& message) { said.push_back(message); };
    Data_File_Session session(File());
    EXPECT_EQ(session.Load(list_, options), Load_Result::Loaded);
    ::umask(old_mask);

    EXPECT_EQ(list_.Event_Count(), GetParam().loaded);
    const fs::path copy = dir_.File("Tessaly.dat.mismatched");
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0], "The data file \"" + File().string() + "\" says it holds " +
                           GetParam().said + "\r\n\r\nThe file as it was is kept in \"" +
                           copy.string() + "\".");
    EXPECT_EQ(Read_Bytes(copy), bytes);
    EXPECT_EQ(Mode_Of(copy), 0600u);

    // A save that follows writes the list as loaded over the file, never the copy.
    list_.Append().Name = "New";
    ASSERT_EQ(session.Save(list_), Data_File_Session::Save_Result::Saved);
    EXPECT_EQ(Read_Bytes(copy), bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Count_Mismatch,
    ::testing::Values(
        Mismatch_Case{"CountLargerThanTheEntries", "V1.1\r\n3\r\n" + Entry_Lines("Ann"), 3,
                      "3 entries, but it ends after 1. The list shows 2 entries more without a "
                      "name or date, which the next save writes to the file."},
        Mismatch_Case{"EntriesAfterTheCount",
                      "V1.1\r\n1\r\n" + Entry_Lines("Ann") + Entry_Lines("Bob"), 1,
                      "1 entry, but more text follows the last of them. That text was not "
                      "loaded, and the next save leaves it out of the file."},
        Mismatch_Case{"OldLayoutWithACountOfZero", "0\r\nAnn\r\n35840\r\nBirthday\r\n", 0,
                      "0 entries, but more text follows the last of them. That text was not "
                      "loaded, and the next save leaves it out of the file."}),
    [](const auto& test_info) { return std::string(test_info.param.name); });

TEST_F(Data_File_Checks, AgreeingCountsAndTheCapacityCutSayNothingOfACount) {
    std::string full = "V1.1\r\n501\r\n";
    for (int i = 0; i < 501; ++i) {
        full += Entry_Lines("N" + std::to_string(i));
    }
    for (const std::string& bytes :
         {"V1.1\r\n2\r\n" + Entry_Lines("Ann") + Entry_Lines("Bob") + "\r\n \r\n",
          "V1.1\r\n1\r\nAnn\r\n35840\r\n"s, "V1.1\r\n0\r\n"s, full}) {
        Write_Bytes(File(), bytes);
        int told = 0;
        Load_Options options;
        options.Keep_Unreadable_Copy = true;
        options.On_Count_Mismatch = [&told](const std::string&) { ++told; };
        Load_Data_From_File_ButtonClick(list_, File(), options);
        EXPECT_EQ(told, 0) << bytes.substr(0, 40);
    }
    EXPECT_FALSE(fs::exists(dir_.File("Tessaly.dat.mismatched")));
}

TEST_F(Data_File_Checks, PrivateListKeepsItsCopiesPrivate) {
    // umask 022 would make new files readable by everyone.
    Write_Bytes(File(), "V1.1\r\n1\r\n" + Entry_Lines("Ann", "bad"));
    ASSERT_EQ(::chmod(File().c_str(), 0600), 0);
    const mode_t old_mask = ::umask(022);
    Load_Options options;
    options.Keep_Unreadable_Copy = true;
    Data_File_Session session(File());
    EXPECT_THROW(session.Load(list_, options), Load_Error);
    const fs::path aside = session.Keep_Aside(list_);
    ::umask(old_mask);

    EXPECT_EQ(Mode_Of(dir_.File("Tessaly.dat.unreadable")), 0600u);
    EXPECT_EQ(Mode_Of(aside), 0600u);
}

}  // namespace
}  // namespace tessaly
