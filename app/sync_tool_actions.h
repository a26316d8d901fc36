#pragma once

#include <filesystem>
#include <istream>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "app/command_line.h"
#include "app/sync_tool.h"
#include "caldav/http_transport.h"
#include "core/profile_file.h"
#include "sync/sync_account.h"
#include "sync/sync_run.h"

namespace tessaly::detail {

enum class Sync_Action {
    Sync,
    Set_Account,
    Store_Password,
    Forget_Account,
    Choose_Address_Books,
    List_Address_Books,
};

struct Sync_Tool_Options {
    Sync_Action Action = Sync_Action::Sync;
    // --set-account may keep a password read from standard input too.
    bool Store_Password = false;
    std::string Server;
    std::string User;
    // A calendar's URL, or the name of one to find at the server.
    std::optional<std::string> Calendar;
    std::optional<std::string> Password_Command;
    std::optional<std::string> Trusted_Certificate;
    // None keeps the account's default alarm as it is.
    std::optional<Default_Alarm> Alarm;
    // Address books by URL or name, to take birthdays from; none keeps the
    // account's choice, an empty list clears it.
    std::optional<std::vector<std::string>> Address_Books;
    std::optional<std::filesystem::path> File;
    bool If_Account = false;
    bool Quiet = false;
    // The answer to the mass-deletion guard given on the command line.
    Deletion_Choice Deletions = Deletion_Choice::Stop;
};

// The settings file, or none (said on `err`) when it cannot be read.
std::optional<Profile_File> Load_Settings(const Sync_Tool_Environment& env, std::ostream& err);

// The account's password from its command or the secret store, or none
// (said on `err`).
std::optional<std::string> Account_Password(const CalDAV_Account& account,
                                            const Sync_Tool_Environment& env, std::ostream& err);

Http_Transport_Options Transport_Options(const CalDAV_Account& account, std::string password,
                                         const Sync_Tool_Environment& env);

// What the server's failure means for the exit status, said on `err`.
int Report_Server_Failure(const CalDAV_Error& error, const CalDAV_Account& account,
                          std::ostream& err);

// Each returns the tool's exit status.
int Set_Account(const Sync_Tool_Options& options, const Sync_Tool_Environment& env,
                std::istream& in, std::ostream& out, std::ostream& err);
int Store_Password(const Sync_Tool_Options& options, const Sync_Tool_Environment& env,
                   std::istream& in, std::ostream& out, std::ostream& err);
int Forget_Account(const Sync_Tool_Options& options, const Sync_Tool_Environment& env,
                   std::ostream& out, std::ostream& err);
// The account's address books chosen anew (alone, or for --set-account's
// account before it is written): names are looked up at the server.
int Choose_Address_Books(const Sync_Tool_Options& options, const Sync_Tool_Environment& env,
                         std::ostream& out, std::ostream& err);
// The URLs of the books named, or the status of the failure (said on `err`).
// The names of the books the server listed go into `names_found`, by URL.
std::variant<std::vector<std::string>, int> Address_Book_Urls(
    const std::vector<std::string>& names, const CalDAV_Account& account,
    const std::string& password, const Sync_Tool_Environment& env, std::ostream& err,
    std::map<std::string, std::string>& names_found);
int List_Address_Books(const Sync_Tool_Options& options, const Sync_Tool_Environment& env,
                       std::ostream& out, std::ostream& err);
int Sync_Once(const Sync_Tool_Options& options, const Sync_Tool_Environment& env, std::ostream& out,
              std::ostream& err);

}  // namespace tessaly::detail
