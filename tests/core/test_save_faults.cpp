// A save that fails part-way must leave the user's file and its backup whole:
// each system call of a save is made to fail in turn.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "core/atomic_file.h"
#include "core/data_file.h"
#include "core/dates.h"
#include "core/errors.h"
#include "core/event_list.h"
#include "core/platform/posix/file_calls.h"
#include "test_support/temp_dir.h"

extern char** environ;

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using test::Read_Bytes;
using test::Temp_Dir;
using test::Write_Bytes;

constexpr const char* Backup_File_Name = "Tessaly.dat.bak";

// ---------------------------------------------------------------------------
// The injected calls

enum class Call_Kind { Make_Temporary, Change_Mode, Write, Sync, Close, Link, Rename, Unlink };

const char* Kind_Name(Call_Kind kind) {
    static const char* const names[] = {"Make_Temporary", "Change_Mode", "Write",  "Sync",
                                        "Close",          "Link",        "Rename", "Unlink"};
    return names[static_cast<int>(kind)];
}

struct Recorded_Call {
    Call_Kind Kind;
    // The file's name without its folder: the temporary made, the one a
    // descriptor belongs to, a link's or rename's new name, the one removed.
    std::string Name;
};

struct Fault_Plan {
    std::optional<std::size_t> Fail_Call;  // index among all calls of the save
    int Error = 0;
    // The Fail_Call-th call, a Write, writes half the bytes; the call after it fails.
    bool Short_Write_First = false;
    // Every Unlink after Fail_Call fails with EIO: the clean-up fails too.
    bool Fail_Later_Unlinks = false;
    // Non-zero: every Link fails with it, as on a file system without hard links.
    int Link_Error = 0;
    std::size_t Most_Bytes_Per_Write = static_cast<std::size_t>(-1);
    bool Writes_Write_Nothing = false;
};

struct Injector {
    detail::File_Calls Real;
    Fault_Plan Plan;
    std::vector<Recorded_Call> Calls;
    std::map<int, std::string> Descriptor_Names;
    bool Fail_Next = false;
};

Injector* Active_Injector = nullptr;

std::string Name_Only(const char* path) {
    return fs::path(path).filename().string();
}

std::string Name_Of_Descriptor(int fd) {
    const auto found = Active_Injector->Descriptor_Names.find(fd);
    return found == Active_Injector->Descriptor_Names.end() ? "?" : found->second;
}

// Records the call and says whether the plan makes it fail; errno is then set.
bool Fails_Now(Call_Kind kind, std::string name) {
    Injector& injector = *Active_Injector;
    const std::size_t index = injector.Calls.size();
    injector.Calls.push_back({kind, std::move(name)});
    const Fault_Plan& plan = injector.Plan;
    int error = 0;
    if (injector.Fail_Next) {
        injector.Fail_Next = false;
        error = plan.Error;
    } else if (plan.Fail_Call == index && !plan.Short_Write_First) {
        error = plan.Error;
    } else if (plan.Fail_Later_Unlinks && kind == Call_Kind::Unlink && plan.Fail_Call &&
               index > *plan.Fail_Call) {
        error = EIO;
    }
    if (error == 0) {
        return false;
    }
    errno = error;
    return true;
}

int Injected_Make_Temporary(char* name_template, int flags) {
    if (Fails_Now(Call_Kind::Make_Temporary, Name_Only(name_template))) {
        return -1;
    }
    const int fd = Active_Injector->Real.Make_Temporary(name_template, flags);
    if (fd >= 0) {
        Active_Injector->Calls.back().Name = Name_Only(name_template);
        Active_Injector->Descriptor_Names[fd] = Name_Only(name_template);
    }
    return fd;
}

int Injected_Change_Mode(int fd, mode_t mode) {
    if (Fails_Now(Call_Kind::Change_Mode, Name_Of_Descriptor(fd))) {
        return -1;
    }
    return Active_Injector->Real.Change_Mode(fd, mode);
}

ssize_t Injected_Write(int fd, const void* bytes, size_t count) {
    Injector& injector = *Active_Injector;
    const std::size_t index = injector.Calls.size();
    if (Fails_Now(Call_Kind::Write, Name_Of_Descriptor(fd))) {
        return -1;
    }
    if (injector.Plan.Writes_Write_Nothing) {
        return 0;
    }
    if (injector.Plan.Short_Write_First && injector.Plan.Fail_Call == index && count > 1) {
        count /= 2;
        injector.Fail_Next = true;
    }
    return injector.Real.Write(fd, bytes, std::min(count, injector.Plan.Most_Bytes_Per_Write));
}

int Injected_Sync(int fd) {
    // What is flushed to the disk is not what these tests look at, and a real
    // flush per save would make them slow.
    return Fails_Now(Call_Kind::Sync, Name_Of_Descriptor(fd)) ? -1 : 0;
}

int Injected_Close(int fd) {
    const bool fails = Fails_Now(Call_Kind::Close, Name_Of_Descriptor(fd));
    const int error = errno;
    Active_Injector->Descriptor_Names.erase(fd);
    // Even a close that reports an error releases the descriptor.
    const int result = Active_Injector->Real.Close(fd);
    if (fails) {
        errno = error;
        return -1;
    }
    return result;
}

int Injected_Link(const char* existing, const char* new_name) {
    if (Fails_Now(Call_Kind::Link, Name_Only(new_name))) {
        return -1;
    }
    if (Active_Injector->Plan.Link_Error != 0) {
        errno = Active_Injector->Plan.Link_Error;
        return -1;
    }
    return Active_Injector->Real.Link(existing, new_name);
}

int Injected_Rename(const char* from, const char* to) {
    if (Fails_Now(Call_Kind::Rename, Name_Only(to))) {
        return -1;
    }
    return Active_Injector->Real.Rename(from, to);
}

int Injected_Unlink(const char* name) {
    if (Fails_Now(Call_Kind::Unlink, Name_Only(name))) {
        return -1;
    }
    return Active_Injector->Real.Unlink(name);
}

// Puts the injected calls in the live table for its lifetime, then the
// previous ones back.
class Injected_Calls {
public:
    explicit Injected_Calls(const Fault_Plan& plan) : saved_(detail::Save_File_Calls()) {
        injector_.Real = saved_;
        injector_.Plan = plan;
        Active_Injector = &injector_;
        detail::Save_File_Calls() = detail::File_Calls{
            &Injected_Make_Temporary, &Injected_Change_Mode, &Injected_Write,  &Injected_Sync,
            &Injected_Close,          &Injected_Link,        &Injected_Rename, &Injected_Unlink,
        };
    }
    ~Injected_Calls() {
        detail::Save_File_Calls() = saved_;
        Active_Injector = nullptr;
    }
    Injected_Calls(const Injected_Calls&) = delete;
    Injected_Calls& operator=(const Injected_Calls&) = delete;

    const std::vector<Recorded_Call>& Calls() const { return injector_.Calls; }

private:
    detail::File_Calls saved_;
    Injector injector_;
};

// ---------------------------------------------------------------------------
// Folders and lists

using Folder_Content = std::map<std::string, std::string>;  // name -> bytes

Folder_Content Content_Of(const fs::path& folder) {
    Folder_Content content;
    for (const auto& entry : fs::directory_iterator(folder)) {
        content[entry.path().filename().string()] =
            entry.is_regular_file() ? Read_Bytes(entry.path()) : "<no regular file>";
    }
    return content;
}

void Lay_Out(const fs::path& folder, const Folder_Content& content) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        fs::remove_all(entry.path());
    }
    for (const auto& [name, bytes] : content) {
        Write_Bytes(folder / name, bytes);
    }
}

// Empty when equal; otherwise one line per name that differs.
std::string Differences(const Folder_Content& expected, const Folder_Content& actual) {
    std::string text;
    for (const auto& [name, bytes] : expected) {
        const auto found = actual.find(name);
        if (found == actual.end()) {
            text += "missing " + name + "\n";
        } else if (found->second != bytes) {
            text += name + " changed: " + std::to_string(found->second.size()) + " bytes, not " +
                    std::to_string(bytes.size()) + "\n";
        }
    }
    for (const auto& [name, bytes] : actual) {
        if (expected.count(name) == 0) {
            text += "left behind: " + name + "\n";
        }
    }
    return text;
}

bool Is_Temporary_Name(const std::string& name) {
    const std::string prefix = std::string(".") + Data_File_Name + ".saving-";
    return name.size() == prefix.size() + 6 && name.starts_with(prefix);
}

Event_List Realistic_List(int count, const std::string& edition) {
    static const char* const names[] = {"Anna M\xc3\xbcller",
                                        "Jos\xe9 Garc\xed"
                                        "a",
                                        "Grandma & Grandpa", "O'Brien, Siobhan", "Wedding day"};
    Event_List list;
    for (int i = 0; i < count; ++i) {
        TName_And_Event_Data& entry = list.Append();
        entry.Name = std::string(names[i % 5]) + " " + std::to_string(i + 1);
        entry.Orig_Date = Encode_Date(1930 + i, 1 + i % 12, 1 + i % 28);
        entry.Event_Type = i % 3 == 0 ? "Anniversary" : "Birthday";
        entry.Comments = i % 4 == 0 ? "" : edition + ": call before noon";
        entry.Spare_1 = i % 7 == 0 ? "kept as read" : "";
    }
    return list;
}

std::string Expected_Error_End(int error) {
    return ": " + std::system_category().message(error);
}

// ---------------------------------------------------------------------------
// Every call of a save failing in turn

struct Scenario {
    const char* Label;
    bool Old_Data;
    bool Old_Backup;
    bool Keep_Backup;
    bool No_Hard_Links;
};

const Scenario Scenarios[] = {
    {"ReplacesTheData", true, false, false, false},
    {"KeepsAFirstBackup", true, false, true, false},
    {"ReplacesTheBackup", true, true, true, false},
    {"LeavesTheBackupAlone", true, true, false, false},
    {"CopiesTheBackupWithoutHardLinks", true, true, true, true},
    {"CreatesTheFirstFile", false, false, true, false},
};

void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.Label;
}

struct Save_Outcome {
    std::optional<std::string> Error;
    std::vector<Recorded_Call> Calls;
};

Save_Outcome Save_With(const Fault_Plan& plan, const Event_List& list, const fs::path& target,
                       bool keep_backup) {
    Injected_Calls calls(plan);
    Save_Outcome outcome;
    try {
        Save_Data_To_File_ButtonClick(list, target, {.Keep_Backup = keep_backup});
    } catch (const File_Error& error) {
        outcome.Error = error.what();
    }
    outcome.Calls = calls.Calls();
    return outcome;
}

class Save_Faults : public testing::TestWithParam<Scenario> {
protected:
    void SetUp() override {
        target_ = dir_.File(Data_File_Name);
        new_bytes_ = Serialise_Data_File(Realistic_List(50, "new"));
        before_ = {{".Tessaly.dat.lock", ""},
                   {".Tessaly.dat.notes", "unrelated"},
                   {".Tessaly.dat.backup", "six letters"},
                   {".Tessaly.dat.saving-ABCDEFG", "seven letters"}};
        if (GetParam().Old_Data) {
            before_[Data_File_Name] = Serialise_Data_File(Realistic_List(48, "old"));
        }
        if (GetParam().Old_Backup) {
            before_[Backup_File_Name] = Serialise_Data_File(Realistic_List(45, "older"));
        }

        saved_ = before_;
        saved_[Data_File_Name] = new_bytes_;
        if (GetParam().Keep_Backup && GetParam().Old_Data) {
            saved_[Backup_File_Name] = before_[Data_File_Name];
        }
        Lay_Out(dir_.Path(), before_);
        const Save_Outcome clean = Save({});
        ASSERT_FALSE(clean.Error) << *clean.Error;
        ASSERT_EQ(Differences(saved_, Content_Of(dir_.Path())), "");
        calls_ = clean.Calls;
        for (std::size_t i = 0; i < calls_.size(); ++i) {
            if (calls_[i].Kind == Call_Kind::Rename && calls_[i].Name == Backup_File_Name) {
                backup_renamed_at_ = i;
            }
        }
        ASSERT_EQ(backup_renamed_at_.has_value(), GetParam().Keep_Backup && GetParam().Old_Data);
    }

    Save_Outcome Save(Fault_Plan plan) const {
        plan.Link_Error = GetParam().No_Hard_Links ? EPERM : 0;
        return Save_With(plan, Realistic_List(50, "new"), target_, GetParam().Keep_Backup);
    }

    // Failures the save lets pass, since they cannot cost a byte: the mode
    // change (not every file system keeps modes), the close of the empty file
    // that only reserves a name and is removed next, and removing a name that
    // is already gone.
    bool Is_Let_Pass(std::size_t index) const {
        const Recorded_Call& call = calls_[index];
        switch (call.Kind) {
            case Call_Kind::Change_Mode:
                return true;
            case Call_Kind::Close:
                return index + 1 < calls_.size() && calls_[index + 1].Kind == Call_Kind::Unlink &&
                       calls_[index + 1].Name == call.Name;
            case Call_Kind::Unlink:
                for (std::size_t i = index; i-- > 0;) {
                    if (calls_[i].Name == call.Name &&
                        calls_[i].Kind == Call_Kind::Make_Temporary) {
                        return false;
                    }
                    if (calls_[i].Name == call.Name && calls_[i].Kind == Call_Kind::Unlink) {
                        return true;
                    }
                }
                return false;
            default:
                return false;
        }
    }

    // The backup is replaced by one rename: before it the old backup (or none)
    // is there, from it on the old data file, even if the save then fails.
    Folder_Content Expected_After_Failure_At(std::size_t index) const {
        Folder_Content expected = before_;
        if (backup_renamed_at_ && index > *backup_renamed_at_) {
            expected[Backup_File_Name] = before_.at(Data_File_Name);
        }
        return expected;
    }

    std::string Describe(std::size_t index, int error, bool short_write) const {
        return "call " + std::to_string(index) + " (" + Kind_Name(calls_[index].Kind) + " " +
               calls_[index].Name + ")" + (short_write ? " writes half, then the next" : "") +
               " fails with " + (error == ENOSPC ? "ENOSPC" : "EIO");
    }

    void Expect_Error_Text(const Save_Outcome& outcome, int error) const {
        ASSERT_TRUE(outcome.Error) << "the save reported success";
        EXPECT_NE(outcome.Error->find("\"" + target_.string() + "\""), std::string::npos)
            << *outcome.Error;
        EXPECT_TRUE(outcome.Error->ends_with(Expected_Error_End(error))) << *outcome.Error;
    }

    Temp_Dir dir_;
    fs::path target_;
    std::string new_bytes_;
    Folder_Content before_;
    Folder_Content saved_;
    std::vector<Recorded_Call> calls_;
    std::optional<std::size_t> backup_renamed_at_;
};

TEST_P(Save_Faults, AnyFailingCallLeavesTheFolderAsItWasAndASecondSaveSucceeds) {
    for (std::size_t k = 0; k < calls_.size(); ++k) {
        for (const int error : {ENOSPC, EIO}) {
            for (const bool short_write : {false, true}) {
                if (short_write && calls_[k].Kind != Call_Kind::Write) {
                    continue;
                }
                SCOPED_TRACE(Describe(k, error, short_write));
                Lay_Out(dir_.Path(), before_);
                const Save_Outcome outcome =
                    Save({.Fail_Call = k, .Error = error, .Short_Write_First = short_write});
                ASSERT_GT(outcome.Calls.size(), k);
                ASSERT_EQ(outcome.Calls[k].Kind, calls_[k].Kind) << "the save took another path";

                if (Is_Let_Pass(k)) {
                    EXPECT_FALSE(outcome.Error) << *outcome.Error;
                    EXPECT_EQ(Differences(saved_, Content_Of(dir_.Path())), "");
                    continue;
                }
                if (!outcome.Error) {
                    ADD_FAILURE() << "the save reported success";
                    continue;
                }
                Expect_Error_Text(outcome, error);
                EXPECT_EQ(Differences(Expected_After_Failure_At(k), Content_Of(dir_.Path())), "");

                // Once there is room again the user saves once more.
                const Save_Outcome retry = Save({});
                EXPECT_FALSE(retry.Error) << *retry.Error;
                EXPECT_EQ(Differences(saved_, Content_Of(dir_.Path())), "") << "after the retry";
            }
        }
    }
}

TEST_P(Save_Faults, AFailedCleanUpLeavesOnlyTemporariesThatTheNextStartRemoves) {
    std::size_t left_in_all = 0;
    for (std::size_t k = 0; k < calls_.size(); ++k) {
        if (Is_Let_Pass(k)) {
            continue;
        }
        SCOPED_TRACE(Describe(k, ENOSPC, false) + ", and so does every Unlink after it");
        Lay_Out(dir_.Path(), before_);
        const Save_Outcome outcome =
            Save({.Fail_Call = k, .Error = ENOSPC, .Fail_Later_Unlinks = true});
        Expect_Error_Text(outcome, ENOSPC);

        const Folder_Content expected = Expected_After_Failure_At(k);
        Folder_Content after = Content_Of(dir_.Path());
        std::size_t left = 0;
        for (auto entry = after.begin(); entry != after.end();) {
            if (expected.count(entry->first) == 0) {
                EXPECT_TRUE(Is_Temporary_Name(entry->first)) << entry->first;
                entry = after.erase(entry);
                ++left;
            } else {
                ++entry;
            }
        }
        EXPECT_EQ(Differences(expected, after), "");

        EXPECT_EQ(Remove_Stale_Temporaries(target_), static_cast<int>(left));
        EXPECT_EQ(Differences(expected, Content_Of(dir_.Path())), "") << "after the removal";
        left_in_all += left;
    }
    EXPECT_GT(left_in_all, 0u) << "no failed clean-up left anything: nothing was tested";
}

INSTANTIATE_TEST_SUITE_P(Scenarios, Save_Faults, testing::ValuesIn(Scenarios),
                         [](const testing::TestParamInfo<Scenario>& scenario) {
                             return std::string(scenario.param.Label);
                         });

// ---------------------------------------------------------------------------
// Writes that do less than asked

class Save_Writes : public testing::Test {
protected:
    void SetUp() override {
        target_ = dir_.File(Data_File_Name);
        old_bytes_ = Serialise_Data_File(Realistic_List(30, "old"));
        Write_Bytes(target_, old_bytes_);
    }

    Save_Outcome Save(const Fault_Plan& plan) const {
        return Save_With(plan, list_, target_, true);
    }

    Temp_Dir dir_;
    fs::path target_;
    std::string old_bytes_;
    Event_List list_ = Realistic_List(50, "new");
};

TEST_F(Save_Writes, WritesOfAFewBytesEachStillSaveEveryByte) {
    Fault_Plan plan;
    plan.Most_Bytes_Per_Write = 7;
    const Save_Outcome outcome = Save(plan);
    EXPECT_FALSE(outcome.Error) << *outcome.Error;
    EXPECT_EQ(Read_Bytes(target_), Serialise_Data_File(list_));
    EXPECT_EQ(Read_Bytes(dir_.File(Backup_File_Name)), old_bytes_);
}

TEST_F(Save_Writes, AnInterruptedWriteIsRepeated) {
    // Make_Temporary and Change_Mode come first.
    const Save_Outcome outcome = Save({.Fail_Call = 2, .Error = EINTR});
    ASSERT_GT(outcome.Calls.size(), 3u);
    ASSERT_EQ(outcome.Calls[2].Kind, Call_Kind::Write);
    EXPECT_FALSE(outcome.Error) << *outcome.Error;
    EXPECT_EQ(Read_Bytes(target_), Serialise_Data_File(list_));
}

TEST_F(Save_Writes, AWriteThatWritesNothingIsReportedAsAFullDisk) {
    Fault_Plan plan;
    plan.Writes_Write_Nothing = true;
    const Save_Outcome outcome = Save(plan);
    ASSERT_TRUE(outcome.Error);
    EXPECT_TRUE(outcome.Error->ends_with(Expected_Error_End(ENOSPC))) << *outcome.Error;
    EXPECT_EQ(Differences({{Data_File_Name, old_bytes_}}, Content_Of(dir_.Path())), "");
}

// ---------------------------------------------------------------------------
// Killing a process part-way through its saves

// A save_child process; killed and reaped when the object goes.
}  // namespace
}  // namespace tessaly
