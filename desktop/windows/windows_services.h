#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop/auto_start.h"
#include "desktop/file_routines.h"
#include "desktop/link_opener.h"
#include "desktop/memory_status.h"
#include "desktop/regional_date_format.h"
#include "desktop/shell_folders.h"
#include "desktop/startup_show.h"
#include "desktop/text_editor.h"

namespace tessaly {

// The machine's Run key and the user's Shell Folders key, as paths from the
// root with the leading backslash that messages show.
inline constexpr const char* Run_Key_Path = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// The Task Manager's start-up switches of the Run key's entries.
inline constexpr const char* Startup_Approved_Key_Path =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
inline constexpr const char* Shell_Folders_Key_Path =
    "\\Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The Win32 backend, one service at a time. The registry services take their
// root and key, so that tests can point them at keys of their own.
// Without an approved key, no start-up switch is read or written.
std::unique_ptr<Auto_Start_Entries> Make_Windows_Auto_Start_Entries(
    HKEY root = HKEY_LOCAL_MACHINE, std::string key = Run_Key_Path,
    std::string approved_key = Startup_Approved_Key_Path);
// Where programs installed for every user lie: the Program Files folders.
std::vector<std::string> Program_Files_Folders();
// The machine's Run key for a program under those folders, else the user's.
std::unique_ptr<Auto_Start_Entries> Make_Windows_Run_Keys(
    HKEY machine_root = HKEY_LOCAL_MACHINE, HKEY user_root = HKEY_CURRENT_USER,
    const std::string& key = Run_Key_Path,
    const std::string& approved_key = Startup_Approved_Key_Path,
    std::vector<std::string> program_files_folders = Program_Files_Folders());
std::unique_ptr<Shell_Folders> Make_Windows_Shell_Folders(HKEY root = HKEY_CURRENT_USER,
                                                          std::string key = Shell_Folders_Key_Path);
std::unique_ptr<Text_Editor> Make_Windows_Text_Editor();
std::unique_ptr<Link_Opener> Make_Windows_Link_Opener();
std::unique_ptr<File_Routines> Make_Windows_File_Routines();
std::unique_ptr<Startup_Show> Make_Windows_Startup_Show();
std::unique_ptr<Memory_Status> Make_Windows_Memory_Status();
std::unique_ptr<Regional_Date_Format> Make_Windows_Regional_Date_Format();
// The name of the generic credential that keeps a calendar account's
// password: "Tessaly CalDAV:" + user + "@" + server, with "@" and "%" of the
// user's name escaped as in a URL.
std::string Credential_Target(const std::string& server, const std::string& user);

namespace detail {

// The key (a UTF-8 path from the root), opened with that access and never
// created; none when it is missing or cannot be opened so.
std::optional<HKEY> Open_Registry_Key(HKEY root, const std::string& key, REGSAM access);
// The string value of a key, read without creating anything; none when the
// key or the value is missing or not a string.
std::optional<std::wstring> Read_Registry_Value(HKEY root, const std::string& key,
                                                const std::string& name);
// The bytes of a value of any type; none when the key or the value is missing.
std::optional<std::string> Read_Registry_Bytes(HKEY root, const std::string& key,
                                               const std::string& name);
// The key path as RegOpenKeyEx takes it: without the leading backslash.
std::string Relative_Key(const std::string& key);

}  // namespace detail

}  // namespace tessaly
