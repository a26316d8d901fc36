#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <string>

#include "app/window_lock.h"
#include "test_support/temp_dir.h"

#if defined(TESSALY_WITH_QT_LOCK)
#include <QLockFile>
#include <QString>
#endif

namespace tessaly {
namespace {

namespace fs = std::filesystem;

std::string This_Host() {
    std::array<char, 256> name{};
    ::gethostname(name.data(), name.size() - 1);
    return name.data();
}

// The id of a process that has ended.
pid_t Ended_Process() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST(Window_Lock, IsBesideTheFileThePathFinallyNames) {
    const test::Temp_Dir folder;
    fs::create_directory(folder.File("real"));
    fs::create_directory_symlink(folder.File("real"), folder.File("link"));
    EXPECT_EQ(Window_Lock_Path(folder.File("link") / "Tessaly.dat"),
              fs::canonical(folder.File("real")) / ".Tessaly.dat.lock");
}

#if defined(TESSALY_WITH_QT_LOCK)
TEST(Window_Lock, ALockTakenAsTheWindowTakesItHoldsTheFileUntilReleased) {
    const test::Temp_Dir folder;
    const fs::path data_file = folder.File("Tessaly.dat");
    EXPECT_FALSE(Window_Holds_Data_File(data_file));
    {
        QLockFile lock(QString::fromStdString(Window_Lock_Path(data_file).string()));
        lock.setStaleLockTime(0);
        ASSERT_TRUE(lock.tryLock(0));
        EXPECT_TRUE(Window_Holds_Data_File(data_file));
        // Testing it leaves the window's lock as it was.
        EXPECT_TRUE(Window_Holds_Data_File(data_file));
    }
    EXPECT_FALSE(Window_Holds_Data_File(data_file));
}
#endif

TEST(Window_Lock, ALockLeftByAnEndedWindowHoldsNothingButOneFromElsewhereDoes) {
    const test::Temp_Dir folder;
    const fs::path data_file = folder.File("Tessaly.dat");
    const fs::path lock = Window_Lock_Path(data_file);

    test::Write_Bytes(lock, std::to_string(Ended_Process()) + "\ntessaly\n" + This_Host() + "\n");
    EXPECT_FALSE(Window_Holds_Data_File(data_file)) << "a crashed window's lock";
    // Its process id since given to another program.
    test::Write_Bytes(lock,
                      std::to_string(::getpid()) + "\nno-such-program\n" + This_Host() + "\n");
    EXPECT_FALSE(Window_Holds_Data_File(data_file));

    // A window on another computer sharing the folder cannot be asked.
    test::Write_Bytes(lock, std::to_string(Ended_Process()) + "\ntessaly\nanother-host\n");
    EXPECT_TRUE(Window_Holds_Data_File(data_file));
    // Nor can a lock that says nothing yet: its window may be writing it.
    test::Write_Bytes(lock, "");
    EXPECT_TRUE(Window_Holds_Data_File(data_file));
}

}  // namespace
}  // namespace tessaly
