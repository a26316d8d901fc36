#include "core/atomic_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "core/errors.h"
#include "test_support/posix_files.h"
#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using test::File_Size_Limit;
using test::Mode_Of;
using test::Read_Bytes;
using test::Temp_Dir;
using test::Write_Bytes;

std::size_t Entries_In(const fs::path& directory) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(directory)) {
        ++count;
    }
    return count;
}

TEST(Write_File_Atomically, NewFileGetsBytesAndUmaskModeAndNoTemporaryStays) {
    Temp_Dir dir;
    const mode_t old_mask = ::umask(027);
    const std::string bytes("a\0b\r\n\xff\x1a", 7);
    Write_File_Atomically(dir.File("Tessaly.dat"), bytes);
    ::umask(old_mask);

    EXPECT_EQ(Read_Bytes(dir.File("Tessaly.dat")), bytes);
    EXPECT_EQ(Mode_Of(dir.File("Tessaly.dat")), 0640u);
    EXPECT_EQ(Entries_In(dir.Path()), 1u);
}

class Write_File_Atomically_Mode : public ::testing::TestWithParam<mode_t> {};

TEST_P(Write_File_Atomically_Mode, ReplacingKeepsTheTargetsPermissions) {
    Temp_Dir dir;
    const fs::path target = dir.File("Tessaly.dat");
    Write_Bytes(target, "old content that is longer");
    ASSERT_EQ(::chmod(target.c_str(), GetParam()), 0);

    Write_File_Atomically(target, "new");

    EXPECT_EQ(Read_Bytes(target), "new");
    EXPECT_EQ(Mode_Of(target), GetParam());
    EXPECT_EQ(Entries_In(dir.Path()), 1u);
}

INSTANTIATE_TEST_SUITE_P(Modes, Write_File_Atomically_Mode,
                         ::testing::Values(mode_t{0600}, mode_t{0644}, mode_t{0664}, mode_t{0604}));

TEST(Write_File_Atomically, ReplacesTheFileALinkPointsToAndKeepsTheLink) {
    Temp_Dir dir;
    fs::create_directory(dir.File("real"));
    const fs::path real = dir.File("real") / "Tessaly.dat";
    Write_Bytes(real, "old");
    fs::create_symlink(real, dir.File("Tessaly.dat"));

    Write_File_Atomically(dir.File("Tessaly.dat"), "new");

    EXPECT_TRUE(fs::is_symlink(dir.File("Tessaly.dat")));
    EXPECT_EQ(Read_Bytes(real), "new");
}

TEST(Write_File_Atomically, FailedWriteLeavesTheOldFileWholeAndNoTemporary) {
    Temp_Dir dir;
    const fs::path target = dir.File("Tessaly.dat");
    Write_Bytes(target, "the old, complete content");
    const std::string bigger(4096, 'x');

    try {
        File_Size_Limit limit(100);
        Write_File_Atomically(target, bigger);
        FAIL() << "no error";
    } catch (const File_Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot save \"" + target.string() + "\": File too large");
    }
    EXPECT_EQ(Read_Bytes(target), "the old, complete content");
    EXPECT_EQ(Entries_In(dir.Path()), 1u);
}

TEST(Write_File_Atomically, FolderThatIsAFileIsReportedWithTheSystemText) {
    Temp_Dir dir;
    Write_Bytes(dir.File("plain"), "x");
    const fs::path target = dir.File("plain") / "Tessaly.dat";

    try {
        Write_File_Atomically(target, "bytes");
        FAIL() << "no error";
    } catch (const File_Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot save \"" + target.string() + "\": Not a directory");
    }
    EXPECT_EQ(Read_Bytes(dir.File("plain")), "x");
}

TEST(Write_File_Atomically, FailedRenameLeavesTheTargetAndRemovesTheTemporary) {
    Temp_Dir dir;
    // A non-empty folder cannot be replaced by a file, even by root.
    fs::create_directory(dir.File("Tessaly.dat"));
    Write_Bytes(dir.File("Tessaly.dat") / "inside", "kept");

    EXPECT_THROW(Write_File_Atomically(dir.File("Tessaly.dat"), "bytes"), File_Error);

    EXPECT_EQ(Read_Bytes(dir.File("Tessaly.dat") / "inside"), "kept");
    EXPECT_EQ(Entries_In(dir.Path()), 1u);
}

TEST(Write_File_Atomically, ReadOnlyFolderFailsAndLeavesTheTarget) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root may write into read-only folders";
    }
    Temp_Dir dir;
    const fs::path target = dir.File("Tessaly.dat");
    Write_Bytes(target, "old");
    fs::permissions(dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);

    EXPECT_THROW(Write_File_Atomically(target, "new"), File_Error);

    fs::permissions(dir.Path(), fs::perms::owner_all);
    EXPECT_EQ(Read_Bytes(target), "old");
    EXPECT_EQ(Entries_In(dir.Path()), 1u);
}

TEST(Write_File_Atomically, ReadOnlyTargetIsRefusedEvenForRoot) {
    Temp_Dir dir;
    const fs::path target = dir.File("Tessaly.dat");
    Write_Bytes(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);

    try {
        Write_File_Atomically(target, "new");
        FAIL() << "no error";
    } catch (const File_Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot save \"" + target.string() + "\": Permission denied");
    }
    EXPECT_EQ(Read_Bytes(target), "old");
    EXPECT_EQ(Mode_Of(target), 0444u);
    EXPECT_EQ(Entries_In(dir.Path()), 1u);
}

TEST(Write_File_Atomically, NewCopyIsAsPrivateAsItsModelWhateverTheUmask) {
    Temp_Dir dir;
    const fs::path list = dir.File("Tessaly.dat");
    Write_Bytes(list, "list");
    const mode_t old_mask = ::umask(022);
    Atomic_Write_Options options;
    options.Mode_Of = list;
    for (const mode_t mode : {mode_t{0600}, mode_t{0640}}) {
        ASSERT_EQ(::chmod(list.c_str(), mode), 0);
        const fs::path copy = dir.File("copy-" + std::to_string(mode));
        Write_File_Atomically(copy, "x", options);
        EXPECT_EQ(Mode_Of(copy), mode);
    }
    // No list yet: the owner's alone.
    options.Mode_Of = dir.File("missing");
    Write_File_Atomically(dir.File("first"), "x", options);
    ::umask(old_mask);
    EXPECT_EQ(Mode_Of(dir.File("first")), 0600u);
}

// Runs the body in a child process as the unprivileged user nobody; returns
// the child's exit code.
int Exit_Code_As_Nobody(const std::function<int()>& body) {
    constexpr uid_t Nobody = 65534;
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(Nobody) != 0 || ::setuid(Nobody) != 0) {
            ::_exit(90);
        }
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

TEST(Write_File_Atomically, FileThisUserMayNotWriteIsRefusedThoughTheFolderIsWritable) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can make a file of another user here";
    }
    Temp_Dir dir;
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
    const fs::path target = dir.File("Tessaly.dat");
    Write_Bytes(target, "root's list");
    ASSERT_EQ(::chmod(target.c_str(), 0644), 0);

    const int code = Exit_Code_As_Nobody([&target] {
        try {
            Write_File_Atomically(target, "nobody's list");
            return 1;
        } catch (const File_Error& error) {
            return std::string(error.what()).ends_with("Permission denied") ? 0 : 2;
        }
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(Read_Bytes(target), "root's list");
}

TEST(Write_File_Atomically, ReplacingKeepsTheFilesOwnerAndGroup) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can give a file to another user";
    }
    Temp_Dir dir;
    const fs::path target = dir.File("Tessaly.dat");
    Write_Bytes(target, "old");
    ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(target.c_str(), 0660), 0);

    Write_File_Atomically(target, "new");

    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_gid, 65534u);
    EXPECT_EQ(info.st_mode & 07777, 0660u);
    EXPECT_EQ(Read_Bytes(target), "new");
}

TEST(Write_File_Atomically, TargetThatIsNoRegularFileIsRefusedAndKept) {
    Temp_Dir dir;
    const fs::path fifo = dir.File("Tessaly.dat");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);

    try {
        Write_File_Atomically(fifo, "new");
        FAIL() << "no error";
    } catch (const File_Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot save \"" + fifo.string() + "\": not a regular file");
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(Entries_In(dir.Path()), 1u);
}

TEST(Write_File_Atomically, DanglingLinkStaysALinkAndItsTargetIsCreated) {
    Temp_Dir dir;
    fs::create_directory(dir.File("real"));
    fs::create_symlink("real/Tessaly.dat", dir.File("Tessaly.dat"));

    Write_File_Atomically(dir.File("Tessaly.dat"), "new");

    EXPECT_TRUE(fs::is_symlink(dir.File("Tessaly.dat")));
    EXPECT_EQ(Read_Bytes(dir.File("real") / "Tessaly.dat"), "new");
    EXPECT_EQ(Entries_In(dir.File("real")), 1u);
}

TEST(Write_File_Atomically, BackupKeepsThePreviousVersionWithItsPermissions) {
    Temp_Dir dir;
    const fs::path target = dir.File("Tessaly.dat");
    const fs::path backup = dir.File("Tessaly.dat.bak");
    Atomic_Write_Options options;
    options.Keep_Backup = true;

    // Nothing to keep before the first version.
    Write_File_Atomically(target, "first", options);
    EXPECT_FALSE(fs::exists(backup));
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);

    Write_File_Atomically(target, "second", options);
    EXPECT_EQ(Read_Bytes(backup), "first");
    EXPECT_EQ(Mode_Of(backup), 0640u);
    Write_File_Atomically(target, "third", options);
    EXPECT_EQ(Read_Bytes(backup), "second");
    EXPECT_EQ(Read_Bytes(target), "third");
    EXPECT_EQ(Backup_Path(target), backup);
    EXPECT_EQ(Entries_In(dir.Path()), 2u);

    // Without the option the backup is left as it is.
    Write_File_Atomically(target, "fourth");
    EXPECT_EQ(Read_Bytes(backup), "second");
}

TEST(Remove_Stale_Temporaries, RemovesOnlyTheTargetsOwnTemporaries) {
    Temp_Dir dir;
    const fs::path target = dir.File("Tessaly.dat");
    for (const char* name :
         {"Tessaly.dat", ".Tessaly.dat.saving-a1B2c3", ".Tessaly.dat.saving-ZZZZZZ",
          ".Tessaly.dat.lock", ".Tessaly.dat.backup", ".Tessaly.dat.saving-abc",
          ".Tessaly.dat.saving-abcdefg", ".Tessaly.ini.saving-a1B2c3", "Tessaly.dat.bak",
          ".Tessaly.dat.saving-ab-d_f"}) {
        Write_Bytes(dir.File(name), "x");
    }
    fs::create_directory(dir.File(".Tessaly.dat.saving-Folder"));

    EXPECT_EQ(Remove_Stale_Temporaries(target), 2);

    EXPECT_FALSE(fs::exists(dir.File(".Tessaly.dat.saving-a1B2c3")));
    EXPECT_FALSE(fs::exists(dir.File(".Tessaly.dat.saving-ZZZZZZ")));
    EXPECT_EQ(Entries_In(dir.Path()), 9u);
}

TEST(Read_Whole_File, ReadsEveryByteOfALargeFile) {
    Temp_Dir dir;
    std::string bytes;
    for (int i = 0; i < 200'000; ++i) {
        bytes += static_cast<char>(i % 256);
    }
    Write_Bytes(dir.File("big"), bytes);
    EXPECT_EQ(Read_Whole_File(dir.File("big")), bytes);
}

TEST(Read_Whole_File, FailuresNameTheFileAndCarryTheSystemText) {
    Temp_Dir dir;
    const struct {
        fs::path file;
        std::string os_text;
    } cases[] = {
        {dir.File("missing"), "No such file or directory"},
        {dir.Path(), "Is a directory"},
        // Opening either would block or never end.
        {dir.File("fifo"), "not a regular file"},
        {"/dev/zero", "not a regular file"},
    };
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
    for (const auto& c : cases) {
        try {
            Read_Whole_File(c.file);
            ADD_FAILURE() << c.file << ": no error";
        } catch (const File_Error& error) {
            EXPECT_EQ(std::string(error.what()),
                      "Cannot read \"" + c.file.string() + "\": " + c.os_text);
        }
    }
}

TEST(Read_Whole_File, FileLargerThanTheLimitIsRefusedBeforeReading) {
    Temp_Dir dir;
    const fs::path file = dir.File("huge");
    Write_Bytes(file, "");
    // Sparse: no disk space is used.
    fs::resize_file(file, Largest_Readable_File + 1);

    try {
        Read_Whole_File(file);
        FAIL() << "no error";
    } catch (const File_Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot read \"" + file.string() +
                      "\": the file is larger than 256 MiB, far more than any list of the "
                      "program needs");
    }
}

}  // namespace
}  // namespace tessaly
