#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/dates.h"

namespace tessaly {

// Keeps this process's memory, where the calendar password passes, out of
// core files and crash collectors. The programs it starts inherit that. The
// process stays open to the user's other programs, as the desktop's portals
// need: they read its /proc entries to tell which program asks.
void Keep_Out_Of_Core_Dumps();

// That, and on Linux no debugger or other program of the user reads its
// memory either: for the terminal tool, which asks no portal. Called first
// thing in main, before the password is ever read.
void Make_Process_Undumpable();

// Today in local time, as a whole day number.
Day_Number Local_Today();
// The local date and time now, for callers that are given no clock.
Date_And_Time Local_Time_Now();

// The running executable's full path; argv[0] made absolute where the
// system cannot say.
std::filesystem::path Executable_Path(const char* argv0);

// The arguments after the program's name, as UTF-8 like every text of the
// program: on Windows from the wide command line, since argv holds them in
// the ANSI code page, which lacks most letters.
std::vector<std::string> Program_Arguments(int argc, char** argv);

// Whether the stream writes to a terminal (where colour makes sense).
bool Is_Terminal(std::FILE* stream);

// Standard output passes on the bytes as written, for output that ends its
// lines itself (CR LF in CSV and iCalendar): Windows' text mode would put
// another CR before each LF. Elsewhere output has no text mode.
void Write_Standard_Output_As_Bytes();

// While it lives, a console shows the UTF-8 the program writes: a Windows
// console reads output in its own code page otherwise. The console's code
// page is given back at the end, since the console outlives the program.
// Terminals elsewhere take UTF-8 as it is.
class Utf8_Console_Output {
public:
    Utf8_Console_Output();
    ~Utf8_Console_Output();
    Utf8_Console_Output(const Utf8_Console_Output&) = delete;
    Utf8_Console_Output& operator=(const Utf8_Console_Output&) = delete;

private:
    [[maybe_unused]] unsigned previous_code_page_ = 0;
};

}  // namespace tessaly
