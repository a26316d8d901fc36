// The window's side of printing: the print module, loaded at the first
// print or print set-up.
#include "report/print_setup.h"

#include <QMessageBox>
#include <QString>

#include "core/platform/process.h"
#include "core/program_identity.h"
#include "modules/module_library.h"
#include "modules/print_engine.h"

namespace tessaly {

namespace {

// The program's module, on the window's thread only: kept loaded for the
// whole run once loaded, tried again at the next print where it failed.
Print_Engine* Program_Print_Engine(std::filesystem::path& file) {
    static Print_Engine* engine = nullptr;
    file = Module_Path(Executable_Path(nullptr), Print_Module_Name);
    if (engine == nullptr) {
        engine = Load_Print_Engine(file);
    }
    return engine;
}

std::unique_ptr<Report_Printer> Printer_Of(Print_Engine* engine, Print_Setup& setup,
                                           QWidget* parent, const std::filesystem::path& file) {
    if (engine == nullptr) {
        setup.Say_Print_Unavailable(parent,
                                    QString::fromStdString(Print_Module_Failure_Message(file)));
        return nullptr;
    }
    return engine->Make_Printer();
}

}  // namespace

Print_Engine* Load_Print_Engine(const std::filesystem::path& file) {
    const auto factory = reinterpret_cast<Print_Engine_Factory>(
        detail::Load_Module_Function(file, Print_Engine_Factory_Name));
    return factory != nullptr ? factory(Print_Engine_Version) : nullptr;
}

std::string Print_Module_Failure_Message(const std::filesystem::path& file) {
    const std::u8string name = file.u8string();
    return "Printing could not be started: " + std::string(name.begin(), name.end()) +
           " is missing or does not fit this program's version.";
}

std::unique_ptr<Report_Printer> Make_Report_Printer(Print_Setup& setup, QWidget* parent,
                                                    const std::filesystem::path& module) {
    const std::unique_ptr<Print_Engine> engine(Load_Print_Engine(module));
    return Printer_Of(engine.get(), setup, parent, module);
}

std::unique_ptr<Report_Printer> Make_Report_Printer(Print_Setup& setup, QWidget* parent) {
    std::filesystem::path file;
    Print_Engine* engine = Program_Print_Engine(file);
    return Printer_Of(engine, setup, parent, file);
}

void Print_Setup::Say_Print_Unavailable(QWidget* parent, const QString& reason) {
    QMessageBox::warning(parent, QString::fromUtf8(Program_Title), reason);
}

bool Print_Dialog_Setup::Set_Up_Printer(QPrinter& printer, QWidget* parent) {
    // The printer came from the program's module: it is loaded.
    std::filesystem::path file;
    Print_Engine* engine = Program_Print_Engine(file);
    return engine != nullptr && engine->Ask_Printer(printer, parent);
}

bool Print_Dialog_Setup::Can_Print() {
    // Without the module the print has said why it cannot start.
    std::filesystem::path file;
    Print_Engine* engine = Program_Print_Engine(file);
    return engine == nullptr || engine->Can_Print();
}

}  // namespace tessaly
