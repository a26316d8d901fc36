#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "app/window_lock.h"
#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

// The lock file opened as the window opens it: for writing, shared for
// reading alone.
HANDLE Hold_As_The_Window_Does(const std::filesystem::path& lock) {
    return ::CreateFileW(lock.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST(Window_Lock, IsHeldExactlyWhileAWindowHasItsFileOpen) {
    const test::Temp_Dir folder;
    const std::filesystem::path data_file =
        folder.File("Data") / L"Zo\u00eb \u65e5\u672c" / "Tessaly.dat";
    std::filesystem::create_directories(data_file.parent_path());
    EXPECT_FALSE(Window_Holds_Data_File(data_file)) << "no lock file";

    const HANDLE held = Hold_As_The_Window_Does(Window_Lock_Path(data_file));
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(Window_Holds_Data_File(data_file));
    // Asking leaves the window's hold as it was.
    EXPECT_TRUE(Window_Holds_Data_File(data_file));
    ::CloseHandle(held);

    // A file left by a window that ended holds nothing.
    ASSERT_TRUE(std::filesystem::exists(Window_Lock_Path(data_file)));
    EXPECT_FALSE(Window_Holds_Data_File(data_file));
    const HANDLE again = Hold_As_The_Window_Does(Window_Lock_Path(data_file));
    ASSERT_NE(again, INVALID_HANDLE_VALUE) << "the check left the file open";
    ::CloseHandle(again);
}

}  // namespace
}  // namespace tessaly
