// The terminal tool with any arguments: the input split at NUL bytes. It runs
// in a folder of its own holding a small data file and settings file, which
// it must never change, whatever it is asked.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "app/notification.h"
#include "app/report_tool.h"
#include "core/dates.h"
#include "fuzz/fuzz_check.h"

namespace tessaly::fuzz {
namespace {

constexpr const char* Data_File_Text =
    "V1.1\r\n"
    "3\r\n"
    "Nora Vale\r\n"
    " 3.28080000000000E+0004\r\n"
    "birthday\r\n"
    "likes tulips\r\n\r\n\r\n\r\n\r\n"
    "Mo and Rita\r\n"
    " 4.07100000000000E+0004\r\n"
    "wedding anniversary\r\n\r\n\r\n\r\n\r\n\r\n"
    "Leap \xC3\x85se\r\n"
    " 3.28930000000000E+0004\r\n"
    "birthday\r\n\r\n\r\n\r\n\r\n\r\n";

constexpr const char* Settings_File_Text =
    "[Tessaly]\r\n"
    "Days_Threshold_SpinEdit=30\r\n"
    "Sort_By_Column_RadioGroup=1\r\n"
    "Ascending_Descending_RadioGroup=1\r\n";

std::string Read_File(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The folder's files and their bytes.
std::map<std::string, std::string> Folder_Content(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
        files[item.path().filename().string()] = Read_File(item.path());
    }
    return files;
}

struct Tool_Folder {
    std::filesystem::path Path;
    std::map<std::string, std::string> Content;
};

// Made once, before the first run; removed at exit.
const Tool_Folder* Folder = nullptr;

void Make_Folder() {
    std::string name = (std::filesystem::temp_directory_path() / "tessaly-fuzz-XXXXXX").string();
    if (::mkdtemp(name.data()) == nullptr) {
        Fail("the tool's folder can be made", name);
    }
    auto* made = new Tool_Folder{name, {}};
    std::ofstream(made->Path / "Tessaly.dat", std::ios::binary) << Data_File_Text;
    std::ofstream(made->Path / "Tessaly.ini", std::ios::binary) << Settings_File_Text;
    made->Content = Folder_Content(made->Path);
    Folder = made;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(Folder->Path, ignored);
    });
}

std::vector<std::string> Arguments_Of(std::string_view input) {
    std::vector<std::string> args;
    if (input.empty()) {
        return args;
    }
    std::size_t start = 0;
    for (std::size_t nul = input.find('\0'); nul != std::string_view::npos;
         nul = input.find('\0', start)) {
        args.emplace_back(input.substr(start, nul - start));
        start = nul + 1;
    }
    args.emplace_back(input.substr(start));
    return args;
}

// Devices and kernel files (/dev/stdin, /dev/zero) would block or never end,
// which says nothing about the tool.
bool Names_System_Files(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg.find("/dev") != std::string::npos || arg.find("/proc") != std::string::npos ||
            arg.find("/sys") != std::string::npos) {
            return true;
        }
    }
    return false;
}

struct Run {
    int Status = 0;
    std::string Out;
    std::string Err;
    // The notifications --notify handed over.
    std::vector<Coming_Events_Notification> Posted;
};

Run Run_Tool(const std::vector<std::string>& args, Report_Tool_Environment env) {
    std::ostringstream out;
    std::ostringstream err;
    Run run;
    // A server that takes every notification, so that --notify is fuzzed as
    // far as the hand-over.
    env.Post_Notification = [&run](const Coming_Events_Notification& notification, std::ostream&) {
        run.Posted.push_back(notification);
        return Report_Tool_Printed;
    };
    // Relative paths in the arguments then name files in the folder, so that
    // a file written there is seen. libFuzzer's own relative paths are back in
    // place before it writes anything.
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(env.Folders.Data_Folder);
    try {
        run.Status = Run_Report_Tool(args, env, out, err);
    } catch (const std::exception& error) {
        Fail("no exception escapes the tool", error.what());
    } catch (...) {
        Fail("no exception escapes the tool");
    }
    std::filesystem::current_path(previous);
    run.Out = out.str();
    run.Err = err.str();
    return run;
}

}  // namespace
}  // namespace tessaly::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    tessaly::fuzz::Make_Folder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    using namespace tessaly::fuzz;
    const Tool_Folder& folder = *Folder;
    const std::vector<std::string> args = Arguments_Of(Bytes_Of(data, size));
    if (Names_System_Files(args)) {
        return -1;  // not kept in the corpus
    }
    Report_Tool_Environment env;
    env.Folders = tessaly::Portable_Folders(folder.Path);
    env.Today = Encode_Date(2024, 2, 20);
    env.Locale_Date_Pattern = "%d/%m/%Y";

    const Run run = Run_Tool(args, env);
    const int status = run.Status;
    Check(status == Report_Tool_Printed || status == Report_Tool_Empty_List ||
              status == Report_Tool_Unreadable_File || status == Report_Tool_Usage,
          "the exit status is 0, 1, 2 or 64 (74 cannot happen with a string stream, "
          "69 with a server that takes every notification)",
          std::to_string(status));
    Check(status == Report_Tool_Printed || run.Out.empty(),
          "nothing goes to standard output unless the report is printed", run.Out);
    Check(run.Posted.size() <= 1 && (run.Posted.empty() || status == Report_Tool_Printed),
          "at most one notification is posted, and only by a run that succeeds");
    Check(run.Posted.empty() || (run.Out.empty() && run.Posted.front().Entries > 0 &&
                                 !run.Posted.front().Lines.empty()),
          "a notification lists the entries due and prints no report", run.Out);
    Check(status != Report_Tool_Printed || !run.Out.empty() || !run.Posted.empty(),
          "a printed report is not empty");
    Check(status == Report_Tool_Printed || !run.Err.empty(), "every failure says why");
    if (status == Report_Tool_Usage) {
        Check(run.Err.starts_with("tessaly-report: ") &&
                  run.Err.ends_with("Try 'tessaly-report --help'.\n"),
              "a usage error names the tool and points to --help", run.Err);
    }
    const bool help = !args.empty() && (args[0] == "--help" || args[0] == "-h");
    if (help || (!args.empty() && args[0] == "--version")) {
        Check(status == Report_Tool_Printed && run.Err.empty(),
              "--help, -h and --version exit 0 without a message");
        Check(run.Out.starts_with(help ? "Usage: tessaly-report" : "tessaly-report ("),
              "--help and -h show the usage, --version the version", run.Out);
    }

    const Run again = Run_Tool(args, env);
    Check(again.Status == run.Status && again.Out == run.Out && again.Err == run.Err &&
              again.Posted.size() == run.Posted.size() &&
              (run.Posted.empty() || again.Posted.front().Body() == run.Posted.front().Body()),
          "the same arguments give the same result");
    if (Folder_Content(folder.Path) != folder.Content) {
        Fail("the tool never writes a file");
    }
    return 0;
}
