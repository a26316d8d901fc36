#include "app/report_tool.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "app/command_line.h"
#include "app/daily_notification_option.h"
#include "app/date_format.h"
#include "core/data_file.h"
#include "core/demo_data.h"
#include "core/errors.h"
#include "core/event_list.h"
#include "core/main_settings.h"
#include "core/platform/utf8_path.h"
#include "core/profile_file.h"
#include "core/program_identity.h"
#include "core/short_date.h"
#include "core/sorting.h"
#include "exchange/csv_exchange.h"
#include "exchange/icalendar_export.h"
#include "report/report_builder.h"
#include "report/report_render.h"

namespace tessaly {

namespace {

// What the help says differs by system: where an installed copy keeps the
// window's list, and where --notify shows its notification.
#if defined(_WIN32)
constexpr const char* Installed_Data_Folder = "%APPDATA%\\Tessaly";
constexpr const char* Notify_Help =
    "  --notify               show the entries due as a balloon from the\n"
    "                         notification area instead of printing the report;\n"
    "                         clicking it opens Tessaly\n"
    "  --daily-notification on|off|status\n"
    "                         add or remove the scheduled task that syncs the\n"
    "                         calendar (when an account is set) and shows the\n"
    "                         notification at log-on and daily at 09:00, or say\n"
    "                         whether it is there\n";
constexpr const char* Exit_Status_Help =
    "Exit status: 0 report printed (or notification shown), 1 no entries in the\n"
    "list (with --notify: none due), 2 data file unreadable (or, with --file,\n"
    "missing), 64 bad usage, 69 notification not shown, 74 report not written.\n";
#else
constexpr const char* Installed_Data_Folder = "~/.local/share/tessaly";
constexpr const char* Notify_Help =
    "  --notify               show the entries due as one desktop notification\n"
    "                         instead of printing the report\n";
constexpr const char* Exit_Status_Help =
    "Exit status: 0 report printed (or notification shown), 1 no entries in the\n"
    "list (with --notify: none due), 2 data file unreadable (or, with --file,\n"
    "missing), 64 bad usage, 69 no notification server, 74 report not written.\n";
#endif

// The help; the list of date conversions is the one --date-format takes.
std::string Usage_Text() {
    return std::string(
               "Usage: tessaly-report [OPTION]...\n"
               "Print the coming birthdays and events of the Tessaly data file.\n"
               "\n"
               "  --file PATH            the data file (default: the window's Tessaly.dat,\n"
               "                         beside this program or, once installed, in\n"
               "                         ") +
           Installed_Data_Folder +
           ")\n"
           "  --days N               report events due within N days, 1 to 100\n"
           "                         (default: the setting in the window's Tessaly.ini,\n"
           "                         else 14); an entry given a lead of its own in the\n"
           "                         window (1 to 365 days) is reported that many days\n"
           "                         ahead instead\n"
           "  --date YYYY-MM-DD      report as if today were this date\n"
           "  --date-format PATTERN  show dates with this strftime pattern, e.g. %d/%m/%Y\n"
           "                         (default: the locale's short date); it takes\n"
           "                         " +
           Date_Format_Conversions() +
           ";\n"
           "                         %-d %-e %-j %-m %-y (or %#d and so on) drop the\n"
           "                         leading zero or space; other conversions are refused\n"
           "  --color WHEN           highlight names: auto (on a terminal, unless NO_COLOR\n"
           "                         is set to a non-empty value or TERM is dumb), always\n"
           "                         or never\n"
           "  --demo                 report on the demo entries instead of a file\n" +
           Notify_Help +
           "  --ical                 write the whole list as an iCalendar file (RFC 5545)\n"
           "                         of yearly events instead of the report, with an\n"
           "                         alarm for each entry's own lead (else the calendar\n"
           "                         account's default alarm, when it has one)\n"
           "  --csv                  write the whole list as CSV (RFC 4180, UTF-8) with the\n"
           "                         grid's columns instead of the report; a date whose\n"
           "                         year is not known is written --MM-DD\n"
           "  -h, --help             show this help and exit\n"
           "  --version              show the version and exit\n"
           "\n"
           "Options take their value as the next argument or after \"=\".\n"
           "\n" +
           Exit_Status_Help;
}

constexpr const char* Empty_List_Message = "Error: There are no entries in the list.";
constexpr const char* Iso_Date_Pattern = "%Y-%m-%d";

enum class Colour_Mode { Auto, Always, Never };

enum class Output_Kind { Report, ICalendar, CSV };

struct Tool_Options {
    std::optional<std::filesystem::path> File;
    std::optional<int> Days;
    std::optional<Day_Number> Date;
    std::optional<Short_Date_Formatter> Date_Format;
    std::optional<std::string> Daily_Notification;
    Colour_Mode Colour = Colour_Mode::Auto;
    Output_Kind Output = Output_Kind::Report;
    bool Demo = false;
    bool Notify = false;
    bool Help = false;
    bool Version = false;
};

bool Is_Digit(char c) {
    return c >= '0' && c <= '9';
}

// The value of a run of decimal digits, or none for anything else or a
// number too long to matter.
std::optional<int> Parse_Digits(std::string_view text) {
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), Is_Digit)) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : text) {
        value = value * 10 + (c - '0');
    }
    return value;
}

int Parse_Days(const std::string& text) {
    const std::optional<int> days = Parse_Digits(text);
    if (!days || *days < Minimum_Days_Threshold || *days > Maximum_Days_Threshold) {
        throw Usage_Error("invalid --days '" + text + "': give a number of days from 1 to 100");
    }
    return *days;
}

Day_Number Parse_Date(const std::string& text) {
    const auto invalid = [&text] {
        return Usage_Error(
            "invalid --date '" + text +
            "': give a date that exists, as YYYY-MM-DD with a year from 0001 to 9999");
    };
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        throw invalid();
    }
    const std::optional<int> year = Parse_Digits(std::string_view(text).substr(0, 4));
    const std::optional<int> month = Parse_Digits(std::string_view(text).substr(5, 2));
    const std::optional<int> day = Parse_Digits(std::string_view(text).substr(8, 2));
    if (!year || !month || !day || !Is_Valid_Civil_Date(*year, *month, *day)) {
        throw invalid();
    }
    return Encode_Date(*year, *month, *day);
}

Colour_Mode Parse_Colour(const std::string& text) {
    if (text == "auto") {
        return Colour_Mode::Auto;
    }
    if (text == "always") {
        return Colour_Mode::Always;
    }
    if (text == "never") {
        return Colour_Mode::Never;
    }
    throw Usage_Error("invalid --color '" + text + "': use auto, always or never");
}

bool Takes_Value(std::string_view name) {
    return name == "--file" || name == "--days" || name == "--date" || name == "--date-format" ||
           name == "--color" || name == "--daily-notification";
}

bool Is_Flag(std::string_view name) {
    return name == "--demo" || name == "--notify" || name == "--help" || name == "--version" ||
           name == "--ical" || name == "--csv";
}

Tool_Options Parse_Arguments(const std::vector<std::string>& args) {
    Tool_Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h") {
            options.Help = true;
            return options;
        }
        auto [name, value] = Read_Option_Word(arg);

        if (Is_Flag(name)) {
            if (value) {
                throw Usage_Error("option '" + name + "' takes no value");
            }
            if (name == "--help") {
                options.Help = true;
                return options;  // asking for help is never an error
            }
            if (name == "--version") {
                options.Version = true;
                return options;
            }
            if (name == "--ical" || name == "--csv") {
                const Output_Kind kind =
                    name == "--ical" ? Output_Kind::ICalendar : Output_Kind::CSV;
                if (options.Output != Output_Kind::Report && options.Output != kind) {
                    throw Usage_Error("--ical and --csv cannot be used together");
                }
                options.Output = kind;
            } else {
                (name == "--notify" ? options.Notify : options.Demo) = true;
            }
            if (options.Notify && options.Output != Output_Kind::Report) {
                throw Usage_Error("--notify cannot be used with --ical or --csv");
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

        if (name == "--file") {
            if (value->empty()) {
                throw Usage_Error("option '--file' needs a path");
            }
            options.File = Path_From_Utf8(*value);
        } else if (name == "--days") {
            options.Days = Parse_Days(*value);
        } else if (name == "--date") {
            options.Date = Parse_Date(*value);
        } else if (name == "--daily-notification") {
            options.Daily_Notification = *value;
        } else if (name == "--date-format") {
            if (value->empty()) {
                throw Usage_Error("option '--date-format' needs a strftime pattern, e.g. %d/%m/%Y");
            }
            try {
                options.Date_Format = Make_Date_Format_Formatter(*value);
            } catch (const Date_Format_Error& error) {
                throw Usage_Error("invalid --date-format '" + *value + "': " + error.what());
            }
        } else {
            options.Colour = Parse_Colour(*value);
        }
    }
    if (options.Demo && options.File) {
        throw Usage_Error("--demo and --file cannot be used together");
    }
    return options;
}

// The settings as the window would find them; a file that cannot be read
// leaves the defaults, as the window's profile reading does.
Profile_File Load_Settings(const std::filesystem::path& settings_folder, std::ostream& err) {
    try {
        return Profile_File::Load(Settings_File_Path(settings_folder));
    } catch (const Tessaly_Error& error) {
        err << Report_Tool_Name << ": " << Terminal_Lines(error.what())
            << " (default settings used)\n";
        return {};
    }
}

}  // namespace

int Run_Report_Tool(const std::vector<std::string>& args, const Report_Tool_Environment& env,
                    std::ostream& out, std::ostream& err) {
    Tool_Options options;
    try {
        options = Parse_Arguments(args);
    } catch (const Usage_Error& error) {
        err << Report_Tool_Name << ": " << error.what() << "\n"
            << "Try '" << Report_Tool_Name << " --help'.\n";
        return Report_Tool_Usage;
    }
    if (options.Help) {
        out << Usage_Text();
        return out.flush() ? Report_Tool_Printed : Report_Tool_Output_Failed;
    }
    if (options.Version) {
        out << Report_Tool_Name << " (" << Program_Title << ")\n";
        return out.flush() ? Report_Tool_Printed : Report_Tool_Output_Failed;
    }

    if (options.Daily_Notification) {
        const std::unique_ptr<Daily_Notification_Task> task =
            env.Open_Daily_Task ? env.Open_Daily_Task() : nullptr;
        return Run_Daily_Notification_Option(*options.Daily_Notification, task.get(),
                                             env.Program_Folder, out, err);
    }

    const Day_Number today = options.Date.value_or(env.Today);
    // The window's own settings, brought into the ranges its controls hold.
    const Profile_File settings_file = Load_Settings(env.Folders.Settings_Folder, err);
    const Main_Settings settings = Read_Main_Settings(settings_file, today);
    const int threshold = options.Days.value_or(
        std::clamp(settings.Days_Threshold, Minimum_Days_Threshold, Maximum_Days_Threshold));

    Event_List list;
    if (options.Demo) {
        Append_Demo_Data(list, today);
    } else {
        Load_Options load_options;
        load_options.On_Count_Mismatch = [&err](const std::string& message) {
            err << Report_Tool_Name << ": " << Terminal_Lines(message) << "\n";
        };
        load_options.On_Capacity_Cut = [&err] {
            err << Terminal_Lines(Capacity_Message_Load()) << "\n";
        };
        const std::filesystem::path file =
            options.File.value_or(Data_File_Path(env.Folders.Data_Folder));
        try {
            // Without --file a missing data file is the first run: no entries.
            // A file the user named must be there.
            if (Load_Data_From_File_ButtonClick(list, file, load_options) == Load_Result::No_File &&
                options.File) {
                err << Report_Tool_Name << ": \"" << file.string()
                    << "\": the file does not exist\n";
                return Report_Tool_Unreadable_File;
            }
        } catch (const Tessaly_Error& error) {
            // A conversion error alone ("Invalid numeric input") does not say
            // which file is at fault.
            const std::string message = error.what();
            err << Report_Tool_Name << ": ";
            if (message.find(file.string()) == std::string::npos) {
                err << "\"" << file.string() << "\": ";
            }
            err << Terminal_Lines(message) << "\n";
            return Report_Tool_Unreadable_File;
        }
    }
    if (options.Output != Output_Kind::Report) {
        if (env.Write_Output_As_Bytes) {
            env.Write_Output_As_Bytes();
        }
        // An empty list is still a valid (empty) calendar or table.
        // The calendar account's default alarm, as the sync writes it.
        out << (options.Output == Output_Kind::ICalendar
                    ? Export_ICalendar(list.Entries(), env.Now, Read_Default_Alarm(settings_file))
                    : Export_CSV(list, today, false));
        if (!out.flush()) {
            err << Report_Tool_Name << ": the list could not be written to standard output\n";
            return Report_Tool_Output_Failed;
        }
        return Report_Tool_Printed;
    }
    if (list.Event_Count() == 0) {
        err << Empty_List_Message << "\n";
        return Report_Tool_Empty_List;
    }

    // The window's order: the user's sort after the refresh, then the
    // report's stable sort by next occurrence, so that ties keep the user's
    // order exactly as they do there.
    Calc_Days_Left_ButtonClick(list, today);
    const int user_column = std::clamp(settings.Sort_Column, -1, Sort_Column_Count - 1);
    const int user_order = std::clamp(settings.Sort_Order, -1, static_cast<int>(Sort_Descending));
    Order_For_Report(list, user_column, user_order);

    Report_Inputs inputs;
    inputs.List = &list;
    inputs.Threshold = threshold;
    inputs.Today = today;
    if (options.Date_Format) {
        inputs.Short_Date = std::move(*options.Date_Format);
    } else {
        inputs.Short_Date = Make_Strftime_Formatter(
            env.Locale_Date_Pattern.empty() ? Iso_Date_Pattern : env.Locale_Date_Pattern);
    }
    if (options.Notify) {
        return Post_Coming_Events(list, threshold, inputs.Short_Date, env.Post_Notification, err);
    }
    inputs.Web_Address = Maker_Web_Address;
    const Report_Document document = Build_Coming_Events_Report(inputs);

    // An empty NO_COLOR is taken as unset, so that "NO_COLOR=" undoes an
    // inherited one.
    const bool colour = options.Colour == Colour_Mode::Always ||
                        (options.Colour == Colour_Mode::Auto && env.Stdout_Is_Terminal &&
                         env.No_Color.empty() && env.Term != "dumb");
    out << (colour ? Render_Ansi(document) : Render_Plain(document));
    if (!out.flush()) {
        err << Report_Tool_Name << ": the report could not be written to standard output\n";
        return Report_Tool_Output_Failed;
    }
    return Report_Tool_Printed;
}

}  // namespace tessaly
