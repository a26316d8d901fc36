#pragma once

#include <filesystem>
#include <memory>
#include <string>

class QPrinter;
class QString;
class QTextDocument;
class QWidget;

namespace tessaly {

// The printer set-up question before a report is printed. Tests stand in a
// fake that prints to a file or cancels.
class Print_Setup {
public:
    virtual ~Print_Setup() = default;

    // Lets the user choose and set up `printer`; false when cancelled.
    virtual bool Set_Up_Printer(QPrinter& printer, QWidget* parent) = 0;
    // Whether there is anything to print on: Windows' print dialog offers
    // nothing without an installed printer, where Qt's own can still print
    // to a PDF file. Asked once the print module is loaded.
    virtual bool Can_Print() { return true; }
    // Printing cannot start: the print module is missing or of another
    // version. A message box by default.
    virtual void Say_Print_Unavailable(QWidget* parent, const QString& reason);
};

// Qt's print dialog, offering the printer and its page set-up only: the
// whole report is always printed.
class Print_Dialog_Setup final : public Print_Setup {
public:
    bool Set_Up_Printer(QPrinter& printer, QWidget* parent) override;
    bool Can_Print() override;
};

// A printer kept across prints, so that the chosen printer stays chosen.
// It lives in the print module, which links Qt's print support: the window
// starts without it.
class Report_Printer {
public:
    virtual ~Report_Printer() = default;
    // Asks `setup`, then prints the whole document as one job named `title`
    // (Print_Document_Pages); false when the user cancelled.
    virtual bool Print(const QTextDocument& document, const QString& title, Print_Setup& setup,
                       QWidget* parent) = 0;
};

// A printer from the print module, loaded at the first call; none, and
// `setup` has said why, where the module cannot be loaded.
std::unique_ptr<Report_Printer> Make_Report_Printer(Print_Setup& setup, QWidget* parent);
// The same from that module file, loaded afresh.
std::unique_ptr<Report_Printer> Make_Report_Printer(Print_Setup& setup, QWidget* parent,
                                                    const std::filesystem::path& module);

// "Printing could not be started: ..." for that file.
std::string Print_Module_Failure_Message(const std::filesystem::path& file);

// Prints the whole document, laid out page after page on the printer's
// printable area, as one job. Only the document's content goes on the paper:
// no page numbers or other additions. In the print module.
void Print_Document_Pages(const QTextDocument& document, QPrinter& printer);

}  // namespace tessaly
