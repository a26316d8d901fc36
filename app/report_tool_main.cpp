// tessaly-report: the coming-events report in a terminal.
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "app/console_output.h"
#include "app/notifier_launch.h"
#include "app/report_tool.h"
#include "core/dates.h"
#include "core/platform/process.h"
#include "core/program_folders.h"
#include "core/short_date.h"
#if defined(_WIN32)
#include "desktop/windows/windows_daily_task.h"
#endif

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    const tessaly::Utf8_Console_Output utf8_console;
    const tessaly::Console_Output console;
    try {
        tessaly::Report_Tool_Environment env;
        // The window's files: beside the executable, or in the home folder
        // once installed.
        const std::filesystem::path executable =
            tessaly::Executable_Path(argc > 0 ? argv[0] : nullptr);
        env.Folders = tessaly::Locate_Program_Folders(executable);
        env.Today = tessaly::Local_Today();
        env.Now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
        env.Stdout_Is_Terminal = console.Stdout_Takes_Colour();
        const auto variable = [](const char* name) {
            const char* value = std::getenv(name);
            return std::string(value != nullptr ? value : "");
        };
        env.No_Color = variable("NO_COLOR");
        env.Term = variable("TERM");
        env.Locale_Date_Pattern = tessaly::Locale_Short_Date_Pattern();
        env.Post_Notification = tessaly::System_Notification_Poster(executable);
        env.Write_Output_As_Bytes = tessaly::Write_Standard_Output_As_Bytes;
        env.Program_Folder = executable.parent_path();
#if defined(_WIN32)
        env.Open_Daily_Task = tessaly::Make_Windows_Daily_Notification_Task;
#endif

        const std::vector<std::string> args = tessaly::Program_Arguments(argc, argv);
        int status = tessaly::Run_Report_Tool(args, env, std::cout, std::cerr);
        // A write error may only show when stdio hands its buffer on.
        if (std::fflush(stdout) != 0 && status == tessaly::Report_Tool_Printed) {
            std::cerr << tessaly::Report_Tool_Name
                      << ": the report could not be written to standard output\n";
            status = tessaly::Report_Tool_Output_Failed;
        }
        return status;
    } catch (const std::exception& error) {
        std::cerr << tessaly::Report_Tool_Name << ": " << error.what() << "\n";
        return 70;  // an internal failure, never mistaken for a report
    }
}
