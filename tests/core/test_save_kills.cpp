// A save that is killed part-way must leave the user's file and its backup
// whole: a child process saves without pause and is killed at random moments.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/atomic_file.h"
#include "core/data_file.h"
#include "core/event_list.h"
#include "test_support/temp_dir.h"

extern char** environ;

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using test::Temp_Dir;

constexpr const char* Backup_File_Name = "Tessaly.dat.bak";

bool Is_Temporary_Name(const std::string& name) {
    const std::string prefix = std::string(".") + Data_File_Name + ".saving-";
    return name.size() == prefix.size() + 6 && name.starts_with(prefix);
}

class Save_Child {
public:
    Save_Child(const fs::path& folder, long first_version) {
        int pipe_ends[2];
        if (::pipe2(pipe_ends, O_CLOEXEC) != 0) {
            ADD_FAILURE() << "pipe: " << std::system_category().message(errno);
            return;
        }
        ready_ = pipe_ends[0];
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], STDOUT_FILENO);
        std::string program = SAVE_CHILD_PATH;
        std::string folder_text = folder.string();
        std::string version_text = std::to_string(first_version);
        char* arguments[] = {program.data(), folder_text.data(), version_text.data(), nullptr};
        const int error =
            ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, arguments, environ);
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(pipe_ends[1]);
        if (error != 0) {
            pid_ = -1;
            ADD_FAILURE() << "cannot start " << program << ": "
                          << std::system_category().message(error);
        }
    }
    ~Save_Child() {
        if (pid_ > 0) {
            Kill();
        }
        if (ready_ >= 0) {
            ::close(ready_);
        }
    }
    Save_Child(const Save_Child&) = delete;
    Save_Child& operator=(const Save_Child&) = delete;

    // True once the child has started saving.
    bool Wait_Until_Saving() {
        if (pid_ <= 0) {
            return false;
        }
        pollfd ready{ready_, POLLIN, 0};
        char byte = 0;
        return ::poll(&ready, 1, 30'000) == 1 && ::read(ready_, &byte, 1) == 1;
    }

    // The wait status.
    int Kill() {
        ::kill(pid_, SIGKILL);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        return status;
    }

private:
    pid_t pid_ = -1;
    int ready_ = -1;
};

// The version save_child wrote to the file; -1, and the test fails, unless
// the file holds exactly one whole version.
long Whole_Version_In(const fs::path& file) {
    Event_List list;
    try {
        Load_Data_From_File_ButtonClick(list, file);
    } catch (const Tessaly_Error& error) {
        ADD_FAILURE() << error.what();
        return -1;
    }
    long version = -1;
    if (list.Event_Count() == 0 ||
        std::sscanf(list.At(1).Name.c_str(), "Version %ld entry 1", &version) != 1) {
        ADD_FAILURE() << file.filename() << " holds no version";
        return -1;
    }
    if (list.Event_Count() != 20 + version % 50) {
        ADD_FAILURE() << file.filename() << " holds " << list.Event_Count()
                      << " entries of version " << version;
        return -1;
    }
    for (int i = 1; i <= list.Event_Count(); ++i) {
        const TName_And_Event_Data& entry = list.At(i);
        const std::string position = std::to_string(i);
        const std::string number = std::to_string(version);
        if (entry.Name != "Version " + number + " entry " + position ||
            entry.Comments != "Entry " + position + " of version " + number ||
            entry.Orig_Date != static_cast<Day_Number>(20000 + version % 20000)) {
            ADD_FAILURE() << file.filename() << " entry " << i << " is \"" << entry.Name
                          << "\" in a file of version " << version;
            return -1;
        }
    }
    return version;
}

std::set<std::string> Names_In(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Each save of version n first turns the backup into the file holding n - 1,
// then the data file into n. So the data file holds the newest version that
// landed and the backup the one before; only a kill between the two renames
// leaves both names on one file, of the same version. A version is never
// guaranteed to land: the kill may come before the first rename.
TEST(Save_Kills, AKilledSaveLeavesOneWholeVersionInEachFile) {
    Temp_Dir dir;
    const fs::path target = dir.File(Data_File_Name);
    const fs::path backup = dir.File(Backup_File_Name);
    std::mt19937 delays(20240611);
    long latest = -1;  // what Tessaly.dat held after the previous kill
    int kills_between_renames = 0;
    int temporaries_left = 0;
    for (int run = 0; run < 200; ++run) {
        const auto delay = std::chrono::microseconds(delays() % 20001);
        SCOPED_TRACE("run " + std::to_string(run) + ", killed after " +
                     std::to_string(delay.count()) + " us, saving from version " +
                     std::to_string(latest + 1));
        {
            Save_Child child(dir.Path(), latest + 1);
            ASSERT_TRUE(child.Wait_Until_Saving()) << "the child did not start saving";
            std::this_thread::sleep_for(delay);
            const int status = child.Kill();
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
                << "the child stopped by itself: a save failed";
        }

        std::set<std::string> expected_names;
        if (!fs::exists(target)) {
            ASSERT_EQ(latest, -1) << "Tessaly.dat is gone";
            EXPECT_FALSE(fs::exists(backup));
        } else {
            expected_names.insert(Data_File_Name);
            const long data_version = Whole_Version_In(target);
            ASSERT_NE(data_version, -1);
            ASSERT_GE(data_version, latest) << "Tessaly.dat went back to an older version";
            if (fs::exists(backup)) {
                expected_names.insert(Backup_File_Name);
                const long backup_version = Whole_Version_In(backup);
                if (backup_version == data_version) {
                    EXPECT_TRUE(fs::equivalent(target, backup)) << "two copies of one version";
                    ++kills_between_renames;
                } else {
                    EXPECT_EQ(backup_version, data_version - 1);
                }
            } else {
                EXPECT_EQ(data_version, 0) << "only the first version has no backup";
            }
            latest = data_version;
        }

        // What the window does when it starts.
        std::set<std::string> names = Names_In(dir.Path());
        int temporaries = 0;
        for (const std::string& name : names) {
            if (expected_names.count(name) == 0) {
                EXPECT_TRUE(Is_Temporary_Name(name)) << name;
                ++temporaries;
            }
        }
        EXPECT_EQ(Remove_Stale_Temporaries(target), temporaries);
        temporaries_left += temporaries;
        EXPECT_EQ(Names_In(dir.Path()), expected_names);
    }
    EXPECT_GE(latest, 0) << "not one save landed in 200 runs";
    RecordProperty("last_version", static_cast<int>(latest));
    RecordProperty("kills_between_renames", kills_between_renames);
    RecordProperty("temporaries_left", temporaries_left);
}

}  // namespace
}  // namespace tessaly
