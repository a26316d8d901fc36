#include <gtest/gtest.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <filesystem>

#include "desktop/recording_prompts.h"
#include "desktop/shortcuts.h"
#include "desktop/windows/windows_services.h"
#include "desktop/windows/windows_test_support.h"
#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

// The target a shell link file names, read through the shell itself: from
// its item list, which the shell starts (Wine keeps the link's plain path in
// the ANSI code page alone).
std::wstring Link_Target(const fs::path& file) {
    std::wstring target;
    ::CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IShellLinkW, reinterpret_cast<void**>(&link)))) {
        IPersistFile* persist = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
            PIDLIST_ABSOLUTE items = nullptr;
            wchar_t path[MAX_PATH] = {};
            if (SUCCEEDED(persist->Load(file.c_str(), STGM_READ)) &&
                SUCCEEDED(link->GetIDList(&items)) && ::SHGetPathFromIDListW(items, path)) {
                target = path;
            }
            ::CoTaskMemFree(items);
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
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Tessaly Tests\\Shell Folders", 0,
                                    nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
        for (const wchar_t* name : {L"Desktop", L"SendTo"}) {
            Set_Folder(name, dir.Path() / name);
        }
    }
    // Makes the folder and names it in the test's Shell Folders key.
    void Set_Folder(const std::wstring& name, const fs::path& folder) const {
        fs::create_directories(folder);
        ::RegSetValueExW(key_, name.c_str(), 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(folder.c_str()),
                         static_cast<DWORD>((folder.native().size() + 1) * sizeof(wchar_t)));
    }
    void TearDown() override {
        ::RegCloseKey(key_);
        ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tessaly Tests\\Shell Folders");
        ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tessaly Tests");
    }

    HKEY key_ = nullptr;
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
    EXPECT_EQ(_wcsicmp(Link_Target(link).c_str(), program.c_str()), 0);

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

TEST_F(Windows_Shell_Links_Test, ShortcutsInNonAsciiFoldersStartNonAsciiPrograms) {
    const fs::path folder = dir.Path() / test::Non_Ascii_Name;
    Set_Folder(L"Desktop", folder / L"Desktop");
    const fs::path odd_program = folder / L"Tessaly 日本.exe";
    test::Write_Bytes(odd_program, "MZ");
    EXPECT_EQ(shell->Folder("Desktop"), folder / L"Desktop");

    shortcuts.Create_Shortcut(odd_program, "Desktop", "");
    const fs::path link = folder / L"Desktop" / L"Tessaly 日本.lnk";
    ASSERT_TRUE(fs::exists(link));
    EXPECT_EQ(_wcsicmp(Link_Target(link).c_str(), odd_program.c_str()), 0) << Link_Target(link);

    shortcuts.Delete_All_Shortcuts(odd_program);
    EXPECT_FALSE(fs::exists(link));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Text,
              "Success: All Desktop, Start Menu, and SendTo shortcuts to \"" +
                  test::Utf8(L"Tessaly 日本") + "\" have been deleted.");
}

// Each state a file can be in, with what the status check answers and what
// the exclusive OpenFile that it stands in for fails with: the same answer
// for the same state, for non-ASCII names too.
TEST_F(Windows_Shell_Links_Test, FileStatusAnswersForEachStateAsTheExclusiveOpenDid) {
    struct Row {
        std::wstring State;
        DWORD Open_File_Error;
        const char* Status;
    };
    const Row rows[] = {
        {L"closed", 0, "CLOSED"},
        {L"held alone", ERROR_SHARING_VIOLATION, "OPEN"},
        {L"held shared", ERROR_SHARING_VIOLATION, "OPEN"},
        {L"folder", ERROR_ACCESS_DENIED, "ERROR"},
        // Refused on Windows; Wine run as root writes it all the same.
        {L"read-only", ERROR_ACCESS_DENIED, nullptr},
    };
    std::string read_only_status;
    for (const fs::path& folder : {dir.Path(), dir.Path() / test::Non_Ascii_Name}) {
        fs::create_directories(folder);
        for (const Row& row : rows) {
            const fs::path file = folder / (row.State + L".dat");
            if (row.State == L"folder") {
                fs::create_directory(file);
            } else {
                test::Write_Bytes(file, "x");
            }
            HANDLE held = INVALID_HANDLE_VALUE;
            if (row.State.starts_with(L"held")) {
                const DWORD share =
                    row.State == L"held alone" ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE;
                held = ::CreateFileW(file.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
                ASSERT_NE(held, INVALID_HANDLE_VALUE);
            } else if (row.State == L"read-only") {
                ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
            }
            const std::string status = files->File_Status(file);
            if (folder == dir.Path()) {
                OFSTRUCT details{};
                const HFILE opened =
                    ::OpenFile(file.string().c_str(), &details, OF_READWRITE | OF_SHARE_EXCLUSIVE);
                const DWORD error = opened == HFILE_ERROR ? ::GetLastError() : 0;
                if (opened != HFILE_ERROR) {
                    ::CloseHandle(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(opened)));
                }
                if (row.Status != nullptr) {
                    EXPECT_EQ(error, row.Open_File_Error) << file.string();
                } else {
                    EXPECT_TRUE(error == row.Open_File_Error || error == 0) << error;
                    read_only_status = error == 0 ? "CLOSED" : "ERROR";
                }
            }
            EXPECT_EQ(status, row.Status != nullptr ? row.Status : read_only_status)
                << file.string();
            if (held != INVALID_HANDLE_VALUE) {
                ::CloseHandle(held);
            }
            ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        }
    }
}

TEST_F(Windows_Shell_Links_Test, FileHeldOpenIsNotDeletedAndReadOnlyOneIs) {
    EXPECT_EQ(files->File_Status(dir.File("missing.lnk")), "");
    EXPECT_EQ(files->File_Status(""), "");
    EXPECT_EQ(files->File_Status(std::string(130, 'x')), "CLOSED");

    for (const fs::path& folder : {dir.Path(), dir.Path() / test::Non_Ascii_Name}) {
        fs::create_directories(folder);
        const fs::path file = folder / L"held.lnk";
        test::Write_Bytes(file, "x");
        const HANDLE held = ::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(files->Delete_File_Safely(file));
        EXPECT_TRUE(fs::exists(file));
        ::CloseHandle(held);

        // A read-only shortcut is made writable and deleted.
        ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
        EXPECT_TRUE(files->Delete_File_Safely(file)) << file.string();
        EXPECT_FALSE(fs::exists(file));
        EXPECT_FALSE(files->Delete_File_Safely(file));
    }
}

}  // namespace
}  // namespace tessaly
