// Setting the calendar account up, and what every action of the tool needs
// of it.
#include <algorithm>
#include <iostream>
#include <string>

#include "app/sync_tool_actions.h"
#include "app/window_lock.h"
#include "caldav/caldav_client.h"
#include "caldav/caldav_url.h"
#include "caldav/failure_advice.h"
#include "core/data_file.h"
#include "sync/password_command.h"

namespace tessaly::detail {

namespace {

constexpr const char* No_Account_Message =
    "No calendar account is set. Set one in the window (Data menu, Calendar Account...) or "
    "with tessaly-sync --set-account.";

std::string Account_Words(const CalDAV_Account& account) {
    return account.User + " at " + account.Server;
}

bool Save_Settings(const Profile_File& settings, const Sync_Tool_Environment& env,
                   std::ostream& err) {
    if (const auto failure = Create_Program_Folders(env.Folders)) {
        err << Sync_Tool_Name << ": " << Terminal_Lines(Folder_Creation_Message(*failure)) << "\n";
        return false;
    }
    try {
        settings.Save(Settings_File_Path(env.Folders.Settings_Folder));
        return true;
    } catch (const Tessaly_Error& error) {
        err << Sync_Tool_Name << ": " << Terminal_Lines(error.what()) << "\n";
        return false;
    }
}

// One line from standard input, without its line end; none at its end.
std::optional<std::string> Read_Password_Line(std::istream& in) {
    std::string line;
    if (!std::getline(in, line)) {
        return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    if (line.empty()) {
        return std::nullopt;
    }
    return line;
}

bool Keep_Password(const CalDAV_Account& account, const std::string& password,
                   const Sync_Tool_Environment& env, std::ostream& err) {
    try {
        env.Open_Secret_Store()->Store_Password(account.Server, account.User, password);
        return true;
    } catch (const Secret_Store_Error& error) {
        err << Sync_Tool_Name << ": " << error.what() << "\n";
        return false;
    }
}

// The URL of the calendar of that name at the server, made there when it
// has none.
std::string Find_Calendar(const CalDAV_Account& account, const std::string& password,
                          const std::string& name, const Sync_Tool_Environment& env,
                          std::ostream& out, bool quiet) {
    const auto transport = Make_Http_Transport(Transport_Options(account, password, env));
    CalDAV_Client client(*transport, account.Server);
    const std::string home = client.Find_Calendar_Home(account.Server);
    for (const auto& calendar : client.List_Calendars(home)) {
        if (calendar.Takes_Events && calendar.Display_Name == name) {
            return calendar.Url;
        }
    }
    const std::string url = client.Make_Calendar(home, name).Url;
    if (!quiet) {
        out << "The server had no calendar named \"" << name << "\": it was made.\n";
    }
    return url;
}

// The window writes its settings back when it closes: an account set
// meanwhile would be lost.
bool Window_Open(const Sync_Tool_Environment& env, std::ostream& err) {
    if (!Window_Holds_Data_File(Data_File_Path(env.Folders.Data_Folder))) {
        return false;
    }
    err << Sync_Tool_Name << ": The Tessaly window is open: set the account there (Data menu, "
        << "Calendar Account...), or close it first. Nothing was changed.\n";
    return true;
}

}  // namespace

namespace {

bool Needs_Lookup(const std::vector<std::string>& names) {
    return std::any_of(names.begin(), names.end(), [](const std::string& name) {
        return !name.starts_with("http://") && !name.starts_with("https://");
    });
}

}  // namespace

std::optional<Profile_File> Load_Settings(const Sync_Tool_Environment& env, std::ostream& err) {
    try {
        return Profile_File::Load(Settings_File_Path(env.Folders.Settings_Folder));
    } catch (const Tessaly_Error& error) {
        err << Sync_Tool_Name << ": " << Terminal_Lines(error.what()) << "\n";
        return std::nullopt;
    }
}

std::optional<std::string> Account_Password(const CalDAV_Account& account,
                                            const Sync_Tool_Environment& env, std::ostream& err) {
    if (!account.Password_Command.empty()) {
        try {
            return Run_Password_Command(account.Password_Command);
        } catch (const Password_Command_Error& error) {
            err << Sync_Tool_Name << ": " << error.what() << "\n";
            return std::nullopt;
        }
    }
    try {
        if (auto password = env.Open_Secret_Store()->Read_Password(account.Server, account.User)) {
            return password;
        }
        err << Sync_Tool_Name << ": No password is kept for " << Account_Words(account)
            << ". Keep one with tessaly-sync --store-password, or give the account a password "
               "command.\n";
    } catch (const Secret_Store_Error& error) {
        err << Sync_Tool_Name << ": " << error.what() << "\n";
    }
    return std::nullopt;
}

Http_Transport_Options Transport_Options(const CalDAV_Account& account, std::string password,
                                         const Sync_Tool_Environment& env) {
    Http_Transport_Options options = Account_Transport_Options(account, std::move(password));
    options.Connect_Timeout = env.Connect_Timeout;
    options.Timeout = env.Timeout;
    return options;
}

int Report_Server_Failure(const CalDAV_Error& error, const CalDAV_Account& account,
                          std::ostream& err) {
    const bool refused = error.Failure() == CalDAV_Failure::Unauthorized ||
                         error.Failure() == CalDAV_Failure::Forbidden;
    err << Sync_Tool_Name << ": " << Terminal_Lines(Failure_Sentence(error, account.Server))
        << "\n";
    if (refused) {
        err << Sync_Tool_Name << ": The account is " << Account_Words(account)
            << ". Nothing was changed.\n";
        return sync_status::Refused;
    }
    if (error.Failure() == CalDAV_Failure::Untrusted_Certificate &&
        !error.Certificate_Fingerprint().empty()) {
        err << Sync_Tool_Name << ": The server showed the certificate with the SHA-256 "
            << "fingerprint\n  " << error.Certificate_Fingerprint() << "\n"
            << Sync_Tool_Name << ": If that is your own server's certificate (compare it on the "
            << "server with: openssl x509 -noout -fingerprint -sha256 -in CERTIFICATE), trust it "
            << "by setting the account again with --trust-certificate "
            << error.Certificate_Fingerprint() << ". Nothing was changed.\n";
        return sync_status::Server_Failed;
    }
    // Only a server that was down or failed for now is met afresh by the
    // next sync; anything else fails the same way until it is mended.
    const CalDAV_Failure failure = error.Failure();
    if (failure == CalDAV_Failure::Unreachable || failure == CalDAV_Failure::Timed_Out ||
        failure == CalDAV_Failure::Server_Error) {
        err << Sync_Tool_Name << ": Nothing was changed in the list; the next sync takes up "
            << "where this one stopped.\n";
    } else {
        err << Sync_Tool_Name << ": Nothing was changed in the list.\n";
    }
    return sync_status::Server_Failed;
}

int Set_Account(const Sync_Tool_Options& options, const Sync_Tool_Environment& env,
                std::istream& in, std::ostream& out, std::ostream& err) {
    if (Window_Open(env, err)) {
        return sync_status::Window_Open;
    }
    std::optional<Profile_File> settings = Load_Settings(env, err);
    if (!settings) {
        return sync_status::List_Failed;
    }
    CalDAV_Account account;
    account.Server = Read_Server_Address(options.Server).Url;
    account.User = options.User;
    account.Password_Command = options.Password_Command.value_or(std::string());
    account.Trusted_Certificate = options.Trusted_Certificate.value_or(std::string());
    account.Alarm = options.Alarm.value_or(Read_CalDAV_Account(*settings).Alarm);

    std::optional<std::string> password;
    if (options.Store_Password) {
        password = Read_Password_Line(in);
        if (!password) {
            err << Sync_Tool_Name << ": No password was given on standard input.\n";
            return sync_status::No_Account;
        }
    }
    const std::string calendar = options.Calendar.value_or(std::string());
    if (calendar.starts_with("http://") || calendar.starts_with("https://")) {
        account.Calendar_Url = calendar;
    } else if (!calendar.empty()) {
        // Found once, here, so that the settings hold the calendar's URL.
        if (!password) {
            password = Account_Password(account, env, err);
            if (!password) {
                err << Sync_Tool_Name << ": The password is needed to find the calendar \""
                    << calendar << "\". Give it with --store-password, or give the calendar's "
                    << "address.\n";
                return sync_status::No_Account;
            }
        }
        try {
            account.Calendar_Url =
                Find_Calendar(account, *password, calendar, env, out, options.Quiet);
            account.Calendar_Name = calendar;
        } catch (const CalDAV_Error& error) {
            return Report_Server_Failure(error, account, err);
        }
    }
    if (options.Address_Books) {
        if (!password && Needs_Lookup(*options.Address_Books)) {
            password = Account_Password(account, env, err);
            if (!password) {
                return sync_status::No_Account;
            }
        }
        auto urls = Address_Book_Urls(*options.Address_Books, account, password.value_or(""), env,
                                      err, account.Address_Book_Names);
        if (const int* status = std::get_if<int>(&urls)) {
            return *status;
        }
        account.Address_Books = std::get<std::vector<std::string>>(std::move(urls));
    } else {
        // Setting the server again keeps the books chosen at the same one.
        const CalDAV_Account before = Read_CalDAV_Account(*settings);
        if (before.Server == account.Server && before.User == account.User) {
            account.Address_Books = before.Address_Books;
            account.Address_Book_Names = before.Address_Book_Names;
        }
    }
    if (options.Store_Password && !Keep_Password(account, *password, env, err)) {
        return sync_status::No_Account;
    }
    Write_CalDAV_Account(*settings, account);
    if (!Save_Settings(*settings, env, err)) {
        return sync_status::List_Failed;
    }
    if (!options.Quiet) {
        out << "The calendar account is set: " << Account_Words(account);
        if (!account.Calendar_Url.empty()) {
            out << ", calendar " << account.Calendar_Url;
        }
        if (account.Alarm != Default_Alarm{}) {
            out << ", alarm " << Default_Alarm_Text(account.Alarm);
        }
        for (const auto& book : account.Address_Books) {
            out << ", address book " << book;
        }
        out << ".\n";
    }
    return sync_status::Synced;
}

int Store_Password(const Sync_Tool_Options& options, const Sync_Tool_Environment& env,
                   std::istream& in, std::ostream& out, std::ostream& err) {
    const std::optional<Profile_File> settings = Load_Settings(env, err);
    if (!settings) {
        return sync_status::List_Failed;
    }
    const CalDAV_Account account = Read_CalDAV_Account(*settings);
    if (!account.Is_Set()) {
        err << Sync_Tool_Name << ": " << No_Account_Message << "\n";
        return sync_status::No_Account;
    }
    const std::optional<std::string> password = Read_Password_Line(in);
    if (!password) {
        err << Sync_Tool_Name << ": No password was given on standard input.\n";
        return sync_status::No_Account;
    }
    if (!Keep_Password(account, *password, env, err)) {
        return sync_status::No_Account;
    }
    if (!options.Quiet) {
        out << "The password for " << Account_Words(account) << " is kept.\n";
        if (!account.Password_Command.empty()) {
            out << "The account takes its password from its command, though; the kept one "
                   "is used once the command is removed.\n";
        }
    }
    return sync_status::Synced;
}

int Forget_Account(const Sync_Tool_Options& options, const Sync_Tool_Environment& env,
                   std::ostream& out, std::ostream& err) {
    if (Window_Open(env, err)) {
        return sync_status::Window_Open;
    }
    std::optional<Profile_File> settings = Load_Settings(env, err);
    if (!settings) {
        return sync_status::List_Failed;
    }
    const CalDAV_Account account = Read_CalDAV_Account(*settings);
    if (!account.Is_Set()) {
        if (!options.Quiet) {
            out << "No calendar account is set.\n";
        }
        return sync_status::Synced;
    }
    Write_CalDAV_Account(*settings, CalDAV_Account{});
    if (!Save_Settings(*settings, env, err)) {
        return sync_status::List_Failed;
    }
    try {
        env.Open_Secret_Store()->Forget_Password(account.Server, account.User);
    } catch (const Secret_Store_Error& error) {
        // An account whose command gave the password never needed the store.
        if (account.Password_Command.empty()) {
            err << Sync_Tool_Name << ": The account is removed, but its password may still "
                << "be kept: " << error.what() << "\n";
            return sync_status::No_Account;
        }
    }
    if (!options.Quiet) {
        out << "The calendar account " << Account_Words(account) << " is removed.\n";
    }
    return sync_status::Synced;
}

std::variant<std::vector<std::string>, int> Address_Book_Urls(
    const std::vector<std::string>& names, const CalDAV_Account& account,
    const std::string& password, const Sync_Tool_Environment& env, std::ostream& err,
    std::map<std::string, std::string>& names_found) {
    const std::string origin = Url_Origin(Read_Server_Address(account.Server).Url);
    std::vector<CardDAV_Address_Book> found;
    if (Needs_Lookup(names)) {
        try {
            const auto transport = Make_Http_Transport(Transport_Options(account, password, env));
            CalDAV_Client client(*transport, account.Server);
            found = client.List_Address_Books(client.Find_Address_Book_Home(account.Server));
            for (const auto& book : found) {
                if (!book.Display_Name.empty()) {
                    names_found[book.Url] = book.Display_Name;
                }
            }
        } catch (const CalDAV_Error& error) {
            return Report_Server_Failure(error, account, err);
        }
    }
    std::vector<std::string> urls;
    for (const std::string& name : names) {
        std::string url;
        if (name.starts_with("http://") || name.starts_with("https://")) {
            if (Url_Origin(name) != origin) {
                err << Sync_Tool_Name << ": the address book " << name
                    << " is not at the server's address: the password goes only there\n";
                return sync_status::Usage;
            }
            url = name;
        } else {
            for (const auto& book : found) {
                if (book.Display_Name == name) {
                    url = book.Url;
                    break;
                }
            }
        }
        if (url.empty()) {
            err << Sync_Tool_Name << ": The server has no address book named \"" << name
                << "\" for " << Account_Words(account) << ".";
            if (found.empty()) {
                err << " It has none.\n";
            } else {
                err << " It has:\n";
                for (const auto& book : found) {
                    err << "  \"" << book.Display_Name << "\" " << book.Url << "\n";
                }
            }
            return sync_status::Usage;
        }
        if (std::find(urls.begin(), urls.end(), url) == urls.end()) {
            urls.push_back(std::move(url));
        }
    }
    return urls;
}

int Choose_Address_Books(const Sync_Tool_Options& options, const Sync_Tool_Environment& env,
                         std::ostream& out, std::ostream& err) {
    if (Window_Open(env, err)) {
        return sync_status::Window_Open;
    }
    std::optional<Profile_File> settings = Load_Settings(env, err);
    if (!settings) {
        return sync_status::List_Failed;
    }
    CalDAV_Account account = Read_CalDAV_Account(*settings);
    if (!account.Is_Set()) {
        err << Sync_Tool_Name << ": " << No_Account_Message << "\n";
        return sync_status::No_Account;
    }
    std::optional<std::string> password;
    if (Needs_Lookup(*options.Address_Books)) {
        password = Account_Password(account, env, err);
        if (!password) {
            return sync_status::No_Account;
        }
    }
    // The names of books chosen by URL stay as the account knew them.
    auto urls = Address_Book_Urls(*options.Address_Books, account, password.value_or(""), env, err,
                                  account.Address_Book_Names);
    if (const int* status = std::get_if<int>(&urls)) {
        return *status;
    }
    account.Address_Books = std::get<std::vector<std::string>>(std::move(urls));
    Write_CalDAV_Account(*settings, account);
    if (!Save_Settings(*settings, env, err)) {
        return sync_status::List_Failed;
    }
    if (!options.Quiet) {
        if (account.Address_Books.empty()) {
            out << "Birthdays are taken from no address book.\n";
        }
        for (const auto& book : account.Address_Books) {
            out << "Birthdays are taken from the address book " << book << ".\n";
        }
    }
    return sync_status::Synced;
}

int List_Address_Books(const Sync_Tool_Options&, const Sync_Tool_Environment& env,
                       std::ostream& out, std::ostream& err) {
    const std::optional<Profile_File> settings = Load_Settings(env, err);
    if (!settings) {
        return sync_status::List_Failed;
    }
    const CalDAV_Account account = Read_CalDAV_Account(*settings);
    if (!account.Is_Set()) {
        err << Sync_Tool_Name << ": " << No_Account_Message << "\n";
        return sync_status::No_Account;
    }
    const std::optional<std::string> password = Account_Password(account, env, err);
    if (!password) {
        return sync_status::No_Account;
    }
    std::vector<CardDAV_Address_Book> books;
    try {
        const auto transport = Make_Http_Transport(Transport_Options(account, *password, env));
        CalDAV_Client client(*transport, account.Server);
        books = client.List_Address_Books(client.Find_Address_Book_Home(account.Server));
    } catch (const CalDAV_Error& error) {
        return Report_Server_Failure(error, account, err);
    }
    if (books.empty()) {
        out << "The account has no address books.\n";
    }
    for (const auto& book : books) {
        const bool chosen = std::any_of(
            account.Address_Books.begin(), account.Address_Books.end(),
            [&](const std::string& url) { return Normal_Url(url) == Normal_Url(book.Url); });
        out << (chosen ? "* \"" : "  \"") << book.Display_Name << "\" " << book.Url << "\n";
    }
    return sync_status::Synced;
}

}  // namespace tessaly::detail
