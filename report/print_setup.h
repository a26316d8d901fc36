#pragma once

class QPrinter;
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
};

// Qt's print dialog, offering the printer and its page set-up only: the
// whole report is always printed.
class Print_Dialog_Setup final : public Print_Setup {
public:
    bool Set_Up_Printer(QPrinter& printer, QWidget* parent) override;
};

// Prints the whole document, laid out page after page on the printer's
// printable area, as one job. Only the document's content goes on the paper:
// no page numbers or other additions.
void Print_Document_Pages(const QTextDocument& document, QPrinter& printer);

}  // namespace tessaly
