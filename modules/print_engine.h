#pragma once

// The print module as the window sees it: Qt's print support, loaded at the
// first print. Both sides are built together and use the same Qt; Qt throws
// nothing, so nothing thrown crosses the edge.
#include <filesystem>
#include <memory>

#include "report/print_setup.h"

namespace tessaly {

// Raised with any change to the types below.
inline constexpr int Print_Engine_Version = 2;
inline constexpr const char* Print_Engine_Factory_Name = "tessaly_create_print_engine";

#if defined(_WIN32)
inline constexpr const char* Print_Module_Name = "tessaly-print-module.dll";
#else
inline constexpr const char* Print_Module_Name = "tessaly-print-module.so";
#endif

class Print_Engine {
public:
    virtual ~Print_Engine() = default;
    virtual std::unique_ptr<Report_Printer> Make_Printer() = 0;
    // Qt's print dialog (Print_Dialog_Setup).
    virtual bool Ask_Printer(QPrinter& printer, QWidget* parent) = 0;
    // Whether the print dialog has anything to print on (Print_Setup::Can_Print).
    virtual bool Can_Print() = 0;
};

extern "C" {
using Print_Engine_Factory = Print_Engine* (*)(int version);
}

// The engine itself, for the module's export.
std::unique_ptr<Print_Engine> Make_Print_Engine();

// The engine of the module in that file, the module loaded and kept; null
// where it is missing or of another version.
Print_Engine* Load_Print_Engine(const std::filesystem::path& file);

}  // namespace tessaly
