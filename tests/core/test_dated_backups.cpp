#include "core/dated_backups.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "core/data_file.h"
#include "core/errors.h"
#include "test_support/temp_dir.h"

#ifndef _WIN32
#include "test_support/posix_files.h"
#endif

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using test::Read_Bytes;
using test::Temp_Dir;
using test::Write_Bytes;

// 10 December 2026, 14:03:22.
const Date_And_Time kNow{2026, 12, 10, 14, 3, 22};

// The time `days` days before kNow's day, at the hour given.
Date_And_Time Days_Before(int days, int hour, int minute = 0, int second = 0) {
    const Civil_Date date = Decode_Date(Day_Number_Of(2026, 12, 10) - days);
    return {date.Year, date.Month, date.Day, hour, minute, second};
}

int Days_Ago(const Backup_Stamp& stamp) {
    return Day_Number_Of(2026, 12, 10) -
           Day_Number_Of(stamp.Taken.Year, stamp.Taken.Month, stamp.Taken.Day);
}

std::string List_Bytes(int entries) {
    Event_List list;
    for (int i = 0; i < entries; ++i) {
        TName_And_Event_Data& entry = list.Append();
        entry.Name = "Entry " + std::to_string(i);
        entry.Orig_Date = 36000 + i;
        entry.Event_Type = "Birthday";
    }
    return Serialise_Data_File(list);
}

TEST(Dated_Backups, PruningKeepsTheNewestTwentyAndTheNewestOfEachOfThirtyDays) {
    struct Case {
        const char* Name;
        std::vector<Backup_Stamp> Stamps;
        // Whether pruning must keep the stamp.
        std::function<bool(const Backup_Stamp&)> Kept;
    };
    std::vector<Case> cases;

    // 25 saves this morning: the five oldest go although they are today's.
    Case today{"twenty-five today", {}, nullptr};
    for (int minute = 0; minute < 25; ++minute) {
        today.Stamps.push_back({Days_Before(0, 9, minute), 1});
    }
    today.Kept = [](const Backup_Stamp& s) { return s.Taken.Minute >= 5; };
    cases.push_back(today);

    // Two a day for 60 days: the ten newest days keep both, the next twenty
    // their evening copy, and nothing older than thirty days stays.
    Case spread{"two a day over sixty days", {}, nullptr};
    for (int days = 0; days < 60; ++days) {
        spread.Stamps.push_back({Days_Before(days, 8), 1});
        spread.Stamps.push_back({Days_Before(days, 20), 1});
    }
    spread.Kept = [](const Backup_Stamp& s) {
        return Days_Ago(s) < 10 || (Days_Ago(s) < 30 && s.Taken.Hour == 20);
    };
    cases.push_back(spread);

    // 30 copies in one second: the numbers order them.
    Case second{"thirty in one second", {}, nullptr};
    for (int number = 1; number <= 30; ++number) {
        second.Stamps.push_back({kNow, number});
    }
    second.Kept = [](const Backup_Stamp& s) { return s.Number > 10; };
    cases.push_back(second);

    // 25 this morning, then one a day back 40 days, across a month's end:
    // day 29 is the last day kept for its own sake.
    Case days{"busy today, daily before", {}, nullptr};
    for (int minute = 0; minute < 25; ++minute) {
        days.Stamps.push_back({Days_Before(0, 9, minute), 1});
    }
    for (int back = 1; back <= 40; ++back) {
        days.Stamps.push_back({Days_Before(back, 18), 1});
    }
    days.Kept = [](const Backup_Stamp& s) {
        return Days_Ago(s) == 0 ? s.Taken.Minute >= 5 : Days_Ago(s) < 30;
    };
    cases.push_back(days);

    // A clock that was once set ahead: those copies count among the newest,
    // but their days are not among the last thirty.
    Case ahead{"ahead of the clock", {}, nullptr};
    for (int i = 0; i < 25; ++i) {
        ahead.Stamps.push_back({Days_Before(-200 - i, 10), 1});
    }
    ahead.Stamps.push_back({Days_Before(1, 10), 1});
    ahead.Kept = [](const Backup_Stamp& s) { return Days_Ago(s) > 0 || Days_Ago(s) <= -205; };
    cases.push_back(ahead);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<Backup_Stamp> shuffled = c.Stamps;
        std::reverse(shuffled.begin() + static_cast<std::ptrdiff_t>(shuffled.size() / 2),
                     shuffled.end());
        const std::vector<Backup_Stamp> removed = Backups_To_Remove(shuffled, kNow);
        const std::set<Backup_Stamp> removed_set(removed.begin(), removed.end());
        EXPECT_EQ(removed_set.size(), removed.size());
        EXPECT_TRUE(std::is_sorted(removed.begin(), removed.end(), std::greater<>()));
        for (const Backup_Stamp& stamp : c.Stamps) {
            EXPECT_EQ(removed_set.count(stamp) == 0, c.Kept(stamp))
                << Backup_File_Name("Tessaly.dat", stamp).string();
        }
        // Pruning twice changes nothing more.
        std::vector<Backup_Stamp> left;
        for (const Backup_Stamp& stamp : c.Stamps) {
            if (removed_set.count(stamp) == 0) {
                left.push_back(stamp);
            }
        }
        EXPECT_TRUE(Backups_To_Remove(left, kNow).empty());
    }
}

TEST(Dated_Backups, OnlyExactNamesAreOursAndTheySortByTime) {
    const fs::path data = "/home/u/Tessaly.dat";
    struct Case {
        const char* Name;
        bool Ours;
    };
    const Case cases[] = {
        {"Tessaly 2026-12-10 14-03-22.dat", true},
        {"Tessaly 2026-12-10 14-03-22_02.dat", true},
        {"Tessaly 2026-12-10 14-03-22_99.dat", true},
        {"Tessaly 2028-02-29 00-00-00.dat", true},
        {"Tessaly 2026-12-10 14-03-22_01.dat", false},
        {"Tessaly 2026-12-10 14-03-22_2.dat", false},
        {"Tessaly 2026-12-10 14-03-22_100.dat", false},
        {"Tessaly 2026-12-10 14-03-22-02.dat", false},
        {"Tessaly 2027-02-29 10-00-00.dat", false},
        {"Tessaly 2026-12-10 24-00-00.dat", false},
        {"Tessaly 2026-12-10 14-60-00.dat", false},
        {"Tessaly 2026-12-10 14-03-60.dat", false},
        {"Tessaly 2026-12-10 14-03-22.dat.bak", false},
        {"Tessaly 2026-12-10 14-03-22.DAT", false},
        {"Tessaly 2026-12-10 14-03-22.txt", false},
        {"Tessaly 2026-12-10 14-03-2x.dat", false},
        {"Tessaly  2026-12-10 14-03-22.dat", false},
        {"tessaly 2026-12-10 14-03-22.dat", false},
        {"Other 2026-12-10 14-03-22.dat", false},
        {"Tessaly 2026-12-10.dat", false},
        {"Tessaly.dat", false},
        {".Tessaly 2026-12-10 14-03-22.dat.saving-abc123", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Read_Backup_File_Name(data, c.Name).has_value(), c.Ours) << c.Name;
    }

    // Every name made reads back as its stamp, and the names sort as the
    // stamps do, numbers included.
    std::vector<Backup_Stamp> stamps = {
        {{2026, 12, 10, 14, 3, 22}, 1},  {{2026, 12, 10, 14, 3, 22}, 2},
        {{2026, 12, 10, 14, 3, 22}, 10}, {{2026, 12, 10, 14, 3, 22}, 99},
        {{2026, 12, 10, 14, 3, 23}, 1},  {{2026, 12, 9, 23, 59, 59}, 3},
        {{2027, 1, 1, 0, 0, 0}, 1},      {{999, 1, 1, 0, 0, 0}, 1},
    };
    std::vector<std::string> names;
    for (const Backup_Stamp& stamp : stamps) {
        const fs::path name = Backup_File_Name(data, stamp);
        EXPECT_EQ(Read_Backup_File_Name(data, name), stamp) << name;
        names.push_back(name.string());
    }
    std::sort(stamps.begin(), stamps.end());
    std::sort(names.begin(), names.end());
    for (std::size_t i = 0; i < stamps.size(); ++i) {
        EXPECT_EQ(names[i], Backup_File_Name(data, stamps[i]).string());
    }

    // Another list's copies, in a folder of their own, are not this one's.
    EXPECT_EQ(Backup_Folder(data), fs::path("/home/u/Tessaly backups"));
    EXPECT_EQ(Backup_Folder("/lists/family list.dat"), fs::path("/lists/family list backups"));
    EXPECT_TRUE(
        Read_Backup_File_Name("/lists/family list.dat", "family list 2026-12-10 14-03-22.dat"));
    EXPECT_FALSE(Read_Backup_File_Name("/lists/family list.dat", cases[0].Name));
    EXPECT_TRUE(Read_Backup_File_Name("/lists/plain", "plain 2026-12-10 14-03-22"));
}

class Dated_Backups_Files : public ::testing::Test {
protected:
    fs::path Data() const { return dir_.File("Tessaly.dat"); }
    fs::path Folder() const { return dir_.File("Tessaly backups"); }
    std::set<std::string> Folder_Names() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(Folder())) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    Temp_Dir dir_;
};

TEST_F(Dated_Backups_Files, CopiesOfOneSecondAreNumberedAndHoldTheBytesGiven) {
    Write_Bytes(Data(), List_Bytes(1));
    const fs::path first = Keep_Dated_Backup(Data(), List_Bytes(2), kNow);
    const fs::path second = Keep_Dated_Backup(Data(), List_Bytes(3), kNow);
    EXPECT_EQ(first, Folder() / "Tessaly 2026-12-10 14-03-22.dat");
    EXPECT_EQ(second, Folder() / "Tessaly 2026-12-10 14-03-22_02.dat");
    EXPECT_EQ(Read_Bytes(first), List_Bytes(2));
    EXPECT_EQ(Read_Bytes(second), List_Bytes(3));
    // The list itself is left as it is.
    EXPECT_EQ(Read_Bytes(Data()), List_Bytes(1));

    for (int i = 3; i <= Most_Backups_In_A_Second; ++i) {
        Keep_Dated_Backup(Data(), "x", kNow);
    }
    EXPECT_THROW(Keep_Dated_Backup(Data(), "x", kNow), File_Error);
    EXPECT_EQ(Folder_Names().size(), static_cast<std::size_t>(Most_Backups_In_A_Second));
}

#ifndef _WIN32
TEST_F(Dated_Backups_Files, CopiesAreAsPrivateAsTheList) {
    struct Case {
        mode_t List;
        mode_t Folder;
    };
    for (const Case c : {Case{0600, 0700}, Case{0640, 0750}, Case{0644, 0755}}) {
        SCOPED_TRACE(c.List);
        fs::remove_all(Folder());
        Write_Bytes(Data(), List_Bytes(1));
        ASSERT_EQ(::chmod(Data().c_str(), c.List), 0);
        const fs::path kept = Keep_Dated_Backup(Data(), List_Bytes(2), kNow);
        EXPECT_EQ(test::Mode_Of(kept), c.List);
        EXPECT_EQ(test::Mode_Of(Folder()), c.Folder);
    }
}
#endif

TEST_F(Dated_Backups_Files, PruningRemovesOnlyOurOldCopies) {
    Write_Bytes(Data(), List_Bytes(1));
    std::vector<fs::path> ours;
    for (int days = 0; days < 45; ++days) {
        ours.push_back(Keep_Dated_Backup(Data(), List_Bytes(days), Days_Before(days, 12)));
    }
    // Names that are not quite ours, a folder and a link named as ours, a
    // file of the user's, and what a killed write of a copy leaves.
    const std::vector<std::string> foreign = {
        "Tessaly 2026-12-10 14-03-22.dat.bak", "Tessaly 2026-02-30 12-00-00.dat",
        "Tessaly 2020-01-01 00-00-00.txt",     "notes.txt",
        "Tessaly 2020-01-01 00-00-01_01.dat",  ".Tessaly 2020-01-01 00-00-00.dat.saving-abc",
    };
    for (const std::string& name : foreign) {
        Write_Bytes(Folder() / name, "theirs");
    }
    fs::create_directory(Folder() / "Tessaly 2001-01-01 00-00-00.dat");
#ifndef _WIN32
    fs::create_symlink(Data(), Folder() / "Tessaly 2001-01-01 00-00-01.dat");
#endif
    Write_Bytes(Folder() / ".Tessaly 2001-01-01 00-00-02.dat.saving-Ab12Cd", "half");
    // The copy just made survives though a clock set back named it oldest.
    const fs::path just_made = Keep_Dated_Backup(Data(), List_Bytes(9), {2000, 1, 1, 0, 0, 0});

    EXPECT_EQ(Prune_Backups(Data(), kNow, just_made), 45 - 30 + 1);

    const std::set<std::string> left = Folder_Names();
    for (int days = 0; days < 45; ++days) {
        EXPECT_EQ(left.count(ours[static_cast<std::size_t>(days)].filename().string()) == 1,
                  days < 30)
            << days;
    }
    for (const std::string& name : foreign) {
        EXPECT_EQ(left.count(name), 1u) << name;
    }
    EXPECT_EQ(left.count("Tessaly 2001-01-01 00-00-00.dat"), 1u);
#ifndef _WIN32
    EXPECT_EQ(left.count("Tessaly 2001-01-01 00-00-01.dat"), 1u);
#endif
    EXPECT_EQ(left.count(just_made.filename().string()), 1u);
    EXPECT_EQ(left.count(".Tessaly 2001-01-01 00-00-02.dat.saving-Ab12Cd"), 0u);
    EXPECT_EQ(Read_Bytes(Data()), List_Bytes(1));

    // Without a folder there is nothing to prune.
    EXPECT_EQ(Prune_Backups(dir_.File("Other.dat"), kNow), 0);
}

TEST_F(Dated_Backups_Files, ListingIsNewestFirstWithCountsAndUnreadableCopiesShown) {
    EXPECT_TRUE(List_Backups(Data()).empty());
    Write_Bytes(Data(), List_Bytes(1));
    Keep_Dated_Backup(Data(), List_Bytes(3), Days_Before(2, 9));
    Keep_Dated_Backup(Data(), List_Bytes(0), Days_Before(0, 9));
    Keep_Dated_Backup(Data(), "V1.1\r\n2\r\nAnn\r\nnot a date\r\n", Days_Before(1, 9));
    Keep_Dated_Backup(Data(), List_Bytes(5), Days_Before(0, 9));
    Write_Bytes(Folder() / "notes.txt", "theirs");

    const std::vector<Backup_Version> versions = List_Backups(Data());
    ASSERT_EQ(versions.size(), 4u);
    EXPECT_EQ(versions[0].Stamp, (Backup_Stamp{Days_Before(0, 9), 2}));
    EXPECT_EQ(versions[0].Entry_Count, 5);
    EXPECT_EQ(versions[1].Stamp, (Backup_Stamp{Days_Before(0, 9), 1}));
    EXPECT_EQ(versions[1].Entry_Count, 0);
    EXPECT_EQ(versions[2].Stamp.Taken, Days_Before(1, 9));
    EXPECT_FALSE(versions[2].Entry_Count.has_value());
    EXPECT_FALSE(versions[2].Problem.empty());
    EXPECT_EQ(versions[3].Entry_Count, 3);
    EXPECT_EQ(versions[3].File, Folder() / "Tessaly 2026-12-08 09-00-00.dat");
    // Listing copies nothing aside and changes nothing.
    EXPECT_EQ(Folder_Names().size(), 5u);
}

}  // namespace
}  // namespace tessaly
