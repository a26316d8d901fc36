#include "app/sync_tool.h"

#include <stdexcept>
#include <string_view>

#include "app/sync_tool_actions.h"
#include "caldav/caldav_url.h"
#include "core/platform/utf8_path.h"
#include "core/program_identity.h"

namespace tessaly {

namespace {

using detail::Sync_Action;
using detail::Sync_Tool_Options;

constexpr const char* Usage_Text =
    "Usage: tessaly-sync [OPTION]...\n"
    "Keep the Tessaly list in step with a calendar on a CalDAV server (Nextcloud,\n"
    "Radicale and others): entries added, changed or deleted on either side reach\n"
    "the other. Without an action, sync once with the account set.\n"
    "\n"
    "Actions:\n"
    "  --set-account          set the account in Tessaly.ini, with:\n"
    "    --server URL         the server's address, e.g. https://HOST/remote.php/dav\n"
    "                         or http://HOST:5232/\n"
    "    --user NAME          the user's name at the server\n"
    "    --calendar CALENDAR  the calendar's URL, or the name of one to find there\n"
    "                         (made when missing; the password is needed to find\n"
    "                         it); default: the one named \"Tessaly\"\n"
    "    --trust-certificate FINGERPRINT\n"
    "                         trust the server's own certificate with this SHA-256\n"
    "                         fingerprint where the system does not (a home server's\n"
    "                         self-signed one); a sync that meets an untrusted\n"
    "                         certificate says its fingerprint\n"
    "    --password-command CMD\n"
    "                         run CMD through the shell for the password (the first\n"
    "                         line it prints) instead of the secret store\n"
    "    --alarm WHEN         the alarm of every synced event whose entry has no\n"
    "                         lead of its own: none (the default), on-the-day (at\n"
    "                         09:00) or N-days-before (at 09:00, N 1 to 365);\n"
    "                         without it the account keeps the one it had\n"
    "  --store-password       read the password as one line from standard input and\n"
    "                         keep it in the desktop's secret store; with\n"
    "                         --set-account, for the account being set\n"
    "  --forget-account       remove the account and its kept password\n"
    "  --address-book BOOK    take the birthdays and anniversaries of the contacts\n"
    "                         of this address book of the account (its URL, or its\n"
    "                         name at the server); give it again for more books.\n"
    "                         Alone, or with --set-account; replaces the choice\n"
    "  --no-address-books     take birthdays from no address book\n"
    "  --list-address-books   print the account's address books, name and URL, the\n"
    "                         chosen ones marked \"*\"\n"
    "\n"
    "Options for a sync:\n"
    "  --file PATH            the data file (default: the window's Tessaly.dat)\n"
    "  --if-account           do nothing, successfully, when no account is set\n"
    "  --quiet                print nothing on success\n"
    "  --allow-deletions      go on with a sync that deletes many entries or events\n"
    "                         (see below)\n"
    "  --keep-everything      instead, bring back every entry or event the sync\n"
    "                         would delete, on both sides\n"
    "  -h, --help             show this help and exit\n"
    "  --version              show the version and exit\n"
    "\n"
    "Options take their value as the next argument or after \"=\". Entries changed\n"
    "on both sides since the last sync are kept both ways; the window is the place\n"
    "to choose between them. A sync is refused while the window has the list open:\n"
    "the window syncs it itself.\n"
    "\n"
    "A sync that would delete every entry of the list or every event of the\n"
    "calendar, or more than 5 that are more than a quarter of them, changes\n"
    "nothing and stops with status 8: run it again with --allow-deletions to\n"
    "delete them, or with --keep-everything to keep them on both sides.\n"
    "\n"
    "Each date of a contact of a chosen address book becomes an entry, kept in step\n"
    "with the contact at each sync: added, changed or removed as it is there, never\n"
    "written back. An entry's comment and own lead stay Tessaly's.\n"
    "\n"
    "Exit status: 0 synced (or the account set), 1 synced, but entries changed on\n"
    "both sides were kept both ways, 2 bad usage, 3 no account set or no password\n"
    "(no secret store, none kept, or the password command failed), 4 the server\n"
    "refused the user or password, 5 the server could not be reached or failed,\n"
    "6 the list or the settings could not be read or saved, 7 the window has the\n"
    "list open, 8 stopped before deleting many entries or events.\n";

bool Takes_Value(std::string_view name) {
    return name == "--server" || name == "--user" || name == "--calendar" ||
           name == "--password-command" || name == "--file" || name == "--trust-certificate" ||
           name == "--alarm" || name == "--address-book";
}

bool Is_Flag(std::string_view name) {
    return name == "--set-account" || name == "--store-password" || name == "--forget-account" ||
           name == "--if-account" || name == "--quiet" || name == "--help" || name == "--version" ||
           name == "--allow-deletions" || name == "--keep-everything" ||
           name == "--no-address-books" || name == "--list-address-books";
}

struct Parsed {
    Sync_Tool_Options Options;
    bool Help = false;
    bool Version = false;
};

void Set_Action(Sync_Tool_Options& options, Sync_Action action) {
    if (options.Action != Sync_Action::Sync && options.Action != action) {
        throw Usage_Error(
            "give one of --set-account, --store-password, --forget-account and "
            "--list-address-books");
    }
    options.Action = action;
}

void Check_Combination(const Sync_Tool_Options& options) {
    const bool account_values = !options.Server.empty() || !options.User.empty() ||
                                options.Calendar || options.Password_Command ||
                                options.Trusted_Certificate || options.Alarm;
    if (options.Action == Sync_Action::Set_Account) {
        if (options.Server.empty() || options.User.empty()) {
            throw Usage_Error("--set-account needs --server and --user");
        }
        if (const auto problem = Server_Address_Problem(options.Server)) {
            throw Usage_Error("invalid --server '" + options.Server + "': " + *problem);
        }
        const std::string calendar = options.Calendar.value_or(std::string());
        const bool calendar_address =
            calendar.starts_with("http://") || calendar.starts_with("https://");
        if (calendar_address &&
            Url_Origin(calendar) != Url_Origin(Read_Server_Address(options.Server).Url)) {
            throw Usage_Error("the calendar " + calendar +
                              " is not at the server's address: the password goes only there");
        }
    } else if (account_values) {
        throw Usage_Error(
            "--server, --user, --calendar, --password-command, --trust-certificate and --alarm "
            "go with --set-account");
    }
    if (options.Action != Sync_Action::Sync && (options.File || options.If_Account)) {
        throw Usage_Error("--file and --if-account go with a sync");
    }
}

Parsed Parse_Arguments(const std::vector<std::string>& args) {
    Parsed parsed;
    Sync_Tool_Options& options = parsed.Options;
    int deletion_options = 0;
    bool no_books = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h") {
            parsed.Help = true;
            return parsed;
        }
        auto [name, value] = Read_Option_Word(arg);
        if (Is_Flag(name)) {
            if (value) {
                throw Usage_Error("option '" + name + "' takes no value");
            }
            if (name == "--help") {
                parsed.Help = true;
                return parsed;  // asking for help is never an error
            }
            if (name == "--version") {
                parsed.Version = true;
                return parsed;
            }
            if (name == "--set-account") {
                Set_Action(options, Sync_Action::Set_Account);
            } else if (name == "--forget-account") {
                Set_Action(options, Sync_Action::Forget_Account);
            } else if (name == "--store-password") {
                options.Store_Password = true;
            } else if (name == "--if-account") {
                options.If_Account = true;
            } else if (name == "--allow-deletions") {
                options.Deletions = Deletion_Choice::Go_On;
                ++deletion_options;
            } else if (name == "--keep-everything") {
                options.Deletions = Deletion_Choice::Keep_Everything;
                ++deletion_options;
            } else if (name == "--no-address-books") {
                if (options.Address_Books && !options.Address_Books->empty()) {
                    throw Usage_Error("give either --address-book or --no-address-books");
                }
                options.Address_Books.emplace();
                no_books = true;
            } else if (name == "--list-address-books") {
                Set_Action(options, Sync_Action::List_Address_Books);
            } else {
                options.Quiet = true;
            }
            continue;
        }
        if (!Takes_Value(name)) {
            throw Usage_Error("unknown option '" + name + "'");
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                throw Usage_Error("option '" + name + "' needs a value");
            }
            value = args[++i];
        }
        if (name == "--server") {
            options.Server = *value;
        } else if (name == "--user") {
            options.User = *value;
        } else if (name == "--calendar") {
            if (value->empty()) {
                throw Usage_Error("option '--calendar' needs a name or an address");
            }
            options.Calendar = *value;
        } else if (name == "--address-book") {
            if (value->empty()) {
                throw Usage_Error("option '--address-book' needs a name or an address");
            }
            if (no_books) {
                throw Usage_Error("give either --address-book or --no-address-books");
            }
            if (!options.Address_Books) {
                options.Address_Books.emplace();
            }
            options.Address_Books->push_back(*value);
        } else if (name == "--password-command") {
            options.Password_Command = *value;
        } else if (name == "--trust-certificate") {
            const auto fingerprint = Normal_Fingerprint(*value);
            if (!fingerprint) {
                throw Usage_Error("invalid --trust-certificate '" + *value +
                                  "': give the SHA-256 fingerprint, 32 pairs of hex digits");
            }
            options.Trusted_Certificate = *fingerprint;
        } else if (name == "--alarm") {
            options.Alarm = Parse_Default_Alarm(*value);
            if (!options.Alarm) {
                throw Usage_Error("invalid --alarm '" + *value +
                                  "': give none, on-the-day or N-days-before (N 1 to 365)");
            }
        } else {
            if (value->empty()) {
                throw Usage_Error("option '--file' needs a path");
            }
            options.File = Path_From_Utf8(*value);
        }
    }
    // Choosing books alone is an action of its own; with --set-account it
    // is the new account's choice.
    if (options.Address_Books && options.Action == Sync_Action::Sync && !options.Store_Password) {
        options.Action = Sync_Action::Choose_Address_Books;
    }
    if (options.Address_Books && options.Action != Sync_Action::Set_Account &&
        options.Action != Sync_Action::Choose_Address_Books) {
        throw Usage_Error("--address-book and --no-address-books go alone or with --set-account");
    }
    // --store-password alone is an action of its own; with --set-account it
    // keeps the new account's password.
    if (options.Store_Password && options.Action == Sync_Action::Sync) {
        options.Action = Sync_Action::Store_Password;
    }
    if (options.Store_Password && (options.Action == Sync_Action::Forget_Account ||
                                   options.Action == Sync_Action::List_Address_Books)) {
        throw Usage_Error("give one of --set-account, --store-password and --forget-account");
    }
    if (deletion_options > 1) {
        throw Usage_Error("give one of --allow-deletions and --keep-everything");
    }
    if (deletion_options > 0 && options.Action != Sync_Action::Sync) {
        throw Usage_Error("--allow-deletions and --keep-everything go with a sync");
    }
    Check_Combination(options);
    return parsed;
}

}  // namespace

int Run_Sync_Tool(const std::vector<std::string>& args, const Sync_Tool_Environment& env,
                  std::istream& in, std::ostream& out, std::ostream& err) {
    Parsed parsed;
    try {
        parsed = Parse_Arguments(args);
    } catch (const Usage_Error& error) {
        err << Sync_Tool_Name << ": " << error.what() << "\n"
            << "Try '" << Sync_Tool_Name << " --help'.\n";
        return sync_status::Usage;
    }
    if (parsed.Help) {
        out << Usage_Text;
        return sync_status::Synced;
    }
    if (parsed.Version) {
        out << Sync_Tool_Name << " (" << Program_Title << ")\n";
        return sync_status::Synced;
    }
    const Sync_Tool_Options& options = parsed.Options;
    switch (options.Action) {
        case Sync_Action::Set_Account:
            return detail::Set_Account(options, env, in, out, err);
        case Sync_Action::Store_Password:
            return detail::Store_Password(options, env, in, out, err);
        case Sync_Action::Forget_Account:
            return detail::Forget_Account(options, env, out, err);
        case Sync_Action::Choose_Address_Books:
            return detail::Choose_Address_Books(options, env, out, err);
        case Sync_Action::List_Address_Books:
            return detail::List_Address_Books(options, env, out, err);
        case Sync_Action::Sync:
            break;
    }
    return detail::Sync_Once(options, env, out, err);
}

}  // namespace tessaly
