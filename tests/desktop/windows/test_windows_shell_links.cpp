#include <gtest/gtest.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <filesystem>

#include "desktop/recording_prompts.h"
#include "desktop/shortcuts.h"
#include "desktop/windows/windows_services.h"
#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

// The target a shell link file names, read through the shell itself.
std::string Link_Target(const fs::path& file) {
    std::string target;
    ::CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IShellLinkA, reinterpret_cast<void**>(&link)))) {
        IPersistFile* persist = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
            const std::wstring wide(file.wstring());
            char path[MAX_PATH] = {};
            if (SUCCEEDED(persist->Load(wide.c_str(), STGM_READ)) &&
                SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, 0))) {
                target = path;
            }
            persist->Release();
        }
        link->Release();
    }
    ::CoUninitialize();
    return target;
}

class Windows_Shell_Links_Test : public ::testing::Test {
protected:
    void SetUp() override {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Tessaly Tests\\Shell Folders", 0,
                                    nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        for (const char* name : {"Desktop", "SendTo"}) {
            fs::create_directories(dir.File(name));
            const std::string value = dir.File(name).string();
            ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1));
        }
        ::RegCloseKey(key);
    }
    void TearDown() override {
        ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tessaly Tests\\Shell Folders");
        ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tessaly Tests");
    }

    test::Temp_Dir dir;
    std::unique_ptr<Shell_Folders> shell =
        Make_Windows_Shell_Folders(HKEY_CURRENT_USER, "\\Software\\Tessaly Tests\\Shell Folders");
    std::unique_ptr<File_Routines> files = Make_Windows_File_Routines();
    test::Recording_Prompts prompts;
    Shortcuts shortcuts{*shell, *files, prompts};
    const fs::path program = "C:\\windows\\notepad.exe";
};

TEST_F(Windows_Shell_Links_Test, ShortcutsAreShellLinksToTheProgramAndDeleteAllReports) {
    EXPECT_EQ(shell->Folder("Desktop"), dir.File("Desktop"));
    EXPECT_EQ(shell->Folder("Start Menu"), std::nullopt);
    shortcuts.Create_Shortcut(program, "Desktop", "");
    shortcuts.Create_Shortcut(program, "Desktop", "");
    shortcuts.Create_Shortcut(program, "SendTo", "");
    const fs::path link = dir.File("Desktop") / "notepad.lnk";
    ASSERT_TRUE(fs::exists(link));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.File("Desktop")), fs::directory_iterator()),
              1);
    const std::string target = Link_Target(link);
    EXPECT_TRUE(target == program.string() ||
                _stricmp(target.c_str(), program.string().c_str()) == 0)
        << target;

    shortcuts.Create_Shortcut(program, "Start Menu", "");
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Text,
              "REGISTRY_INC__Create_Shortcut Error: The key \"Start Menu\" is invalid or could "
              "not be found in the registry.");

    shortcuts.Delete_All_Shortcuts(program);
    shortcuts.Delete_All_Shortcuts(program);
    ASSERT_EQ(prompts.shown.size(), 3u);
    EXPECT_EQ(prompts.shown[1].Text,
              "Success: All Desktop, Start Menu, and SendTo shortcuts to \"notepad\" have been "
              "deleted.");
    EXPECT_EQ(prompts.shown[2].Text.rfind("No Desktop, Start Menu, or SendTo shortcuts", 0), 0u);
    EXPECT_FALSE(fs::exists(link));
}

TEST_F(Windows_Shell_Links_Test, FileHeldOpenIsReportedOpenAndNotDeleted) {
    const fs::path file = dir.File("held.lnk");
    test::Write_Bytes(file, "x");
    EXPECT_EQ(files->File_Status(file), "CLOSED");
    EXPECT_EQ(files->File_Status(dir.File("missing.lnk")), "");
    EXPECT_EQ(files->File_Status(""), "");
    EXPECT_EQ(files->File_Status(std::string(130, 'x')), "CLOSED");

    const HANDLE held = ::CreateFileA(file.string().c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(files->File_Status(file), "OPEN");
    EXPECT_FALSE(files->Delete_File_Safely(file));
    EXPECT_TRUE(fs::exists(file));
    ::CloseHandle(held);

    // A read-only shortcut is made writable and deleted.
    ::SetFileAttributesA(file.string().c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(files->Delete_File_Safely(file));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(files->Delete_File_Safely(file));
}

}  // namespace
}  // namespace tessaly
