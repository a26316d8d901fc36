#include "desktop/file_routines.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "desktop/fake/fake_file_routines.h"
#include "desktop/linux/linux_services.h"
#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

bool Owner_Writable(const fs::path& file) {
    return (fs::status(file).permissions() & fs::perms::owner_write) != fs::perms::none;
}

// Another process that holds the file open for reading and writing until
// the object goes.
class Holder {
public:
    explicit Holder(const fs::path& file) {
        int ready[2];
        EXPECT_EQ(::pipe(ready), 0);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            FILE* held = std::fopen(file.c_str(), "r+");
            (void)!::write(ready[1], held != nullptr ? "y" : "n", 1);
            ::pause();
            ::_exit(0);
        }
        ::close(ready[1]);
        char answer = 0;
        EXPECT_EQ(::read(ready[0], &answer, 1), 1);
        EXPECT_EQ(answer, 'y');
        ::close(ready[0]);
    }
    ~Holder() {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }

private:
    pid_t pid_ = -1;
};

TEST(File_Routines, StatusOfMissingEmptyAndLongPaths) {
    test::Temp_Dir folder;
    EXPECT_EQ(File_Status(""), "");
    EXPECT_EQ(File_Status(folder.File("missing.ini")), "");
    EXPECT_EQ(File_Status(folder.File(std::string(130, 'x'))), "CLOSED");
    EXPECT_FALSE(Delete_File_Safely(folder.File("missing.ini")));
}

TEST(File_Routines, ReadOnlyClosedFileIsMadeWritableAndDeleted) {
    test::Temp_Dir folder;
    const fs::path file = folder.File("Tessaly.ini");
    test::Write_Bytes(file, "x");
    fs::permissions(file, fs::perms::owner_read);
    EXPECT_EQ(File_Status(file), "CLOSED");
    EXPECT_TRUE(Delete_File_Safely(file));
    EXPECT_FALSE(fs::exists(file));
}

TEST(File_Routines, FileHeldOpenByAnotherProcessSurvivesWritable) {
    test::Temp_Dir folder;
    const fs::path file = folder.File("Tessaly.ini");
    test::Write_Bytes(file, "x");
    {
        const Holder holder(file);
        fs::permissions(file, fs::perms::owner_read);
        EXPECT_EQ(File_Status(file), "OPEN");
        EXPECT_FALSE(Delete_File_Safely(file));
        EXPECT_TRUE(fs::exists(file));
        EXPECT_TRUE(Owner_Writable(file));
    }
    EXPECT_EQ(File_Status(file), "CLOSED");
    EXPECT_TRUE(Delete_File_Safely(file));
}

TEST(File_Routines, LinuxServiceIsTheRoutinesThemselves) {
    test::Temp_Dir folder;
    const fs::path file = folder.File("Tessaly.ini");
    test::Write_Bytes(file, "x");
    const auto routines = Make_Linux_File_Routines();
    {
        const Holder holder(file);
        EXPECT_EQ(routines->File_Status(file), "OPEN");
        EXPECT_FALSE(routines->Delete_File_Safely(file));
    }
    EXPECT_EQ(routines->File_Status(file), "CLOSED");
    EXPECT_TRUE(routines->Delete_File_Safely(file));
    EXPECT_EQ(routines->File_Status(file), "");
}

// The window tests rely on the fake deleting real files as the routines do.
TEST(File_Routines, FakeDeletesReadOnlyFilesAndKeepsThoseMarkedOpen) {
    test::Temp_Dir folder;
    const fs::path kept = folder.File("kept.ini");
    const fs::path gone = folder.File("gone.ini");
    test::Write_Bytes(kept, "x");
    test::Write_Bytes(gone, "x");
    fs::permissions(gone, fs::perms::owner_read);
    Fake_File_Routines routines;
    routines.Held_Open.insert(kept);

    EXPECT_EQ(routines.File_Status(kept), "OPEN");
    EXPECT_EQ(routines.File_Status(gone), "CLOSED");
    EXPECT_EQ(routines.File_Status(folder.File("missing")), "");
    EXPECT_FALSE(routines.Delete_File_Safely(kept));
    EXPECT_TRUE(fs::exists(kept));
    EXPECT_TRUE(routines.Delete_File_Safely(gone));
    EXPECT_FALSE(fs::exists(gone));
    EXPECT_FALSE(routines.Delete_File_Safely(gone));
    EXPECT_EQ(routines.Deleted, (std::vector<fs::path>{kept, gone, gone}));
}

}  // namespace
}  // namespace tessaly
