// tessaly-sync: the list in step with a calendar server, for scripts and the
// daily timer.
#include <chrono>
#include <clocale>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/console_output.h"
#include "app/sync_tool.h"
#include "core/platform/process.h"
#include "core/program_folders.h"
#include "desktop/platform_services.h"

int main(int argc, char** argv) {
    // Before the password is read from anywhere.
    tessaly::Make_Process_Undumpable();
    std::setlocale(LC_ALL, "");
    const tessaly::Utf8_Console_Output utf8_console;
    const tessaly::Console_Output console;
    try {
        tessaly::Sync_Tool_Environment env;
        // The window's files: beside the executable, or in the home folder
        // once installed.
        env.Folders =
            tessaly::Locate_Program_Folders(tessaly::Executable_Path(argc > 0 ? argv[0] : nullptr));
        env.Now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
        env.Open_Secret_Store = [] { return tessaly::Make_Secret_Store(); };
        const std::vector<std::string> args = tessaly::Program_Arguments(argc, argv);
        const int status = tessaly::Run_Sync_Tool(args, env, std::cin, std::cout, std::cerr);
        std::fflush(stdout);
        return status;
    } catch (const std::exception& error) {
        std::cerr << tessaly::Sync_Tool_Name << ": " << error.what() << "\n";
        return 70;  // an internal failure, never mistaken for a sync
    }
}
