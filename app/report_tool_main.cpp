// tessaly-report: the coming-events report in a terminal.
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <ctime>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "app/report_tool.h"
#include "core/dates.h"
#include "core/short_date.h"

namespace {

tessaly::Day_Number Local_Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return tessaly::Day_Number_Of(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

// The data and settings files live beside the executable, wherever it was
// started from.
std::filesystem::path Executable_Directory(const char* argv0) {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        return self.parent_path();
    }
    return std::filesystem::absolute(argv0 != nullptr ? argv0 : "", error).parent_path();
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    try {
        tessaly::Report_Tool_Environment env;
        env.Executable_Directory = Executable_Directory(argc > 0 ? argv[0] : nullptr);
        env.Today = Local_Today();
        env.Stdout_Is_Terminal = ::isatty(STDOUT_FILENO) == 1;
        env.Locale_Date_Pattern = tessaly::Locale_Short_Date_Pattern();

        const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
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
