// The print module: Qt's print dialog and the report printed page by page.
#include "modules/print_engine.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>
#include <QTextFrame>

#include <memory>

namespace tessaly {

namespace {

constexpr double Page_Margin_Centimetres = 1.5;

class Qt_Report_Printer final : public Report_Printer {
public:
    bool Print(const QTextDocument& document, const QString& title, Print_Setup& setup,
               QWidget* parent) override {
        if (!setup.Set_Up_Printer(printer_, parent)) {
            return false;
        }
        printer_.setPrintRange(QPrinter::AllPages);
        printer_.setFromTo(0, 0);
        printer_.setDocName(title);
        Print_Document_Pages(document, printer_);
        return true;
    }

private:
    QPrinter printer_{QPrinter::HighResolution};
};

class Qt_Print_Engine final : public Print_Engine {
public:
    std::unique_ptr<Report_Printer> Make_Printer() override {
        return std::make_unique<Qt_Report_Printer>();
    }

    bool Ask_Printer(QPrinter& printer, QWidget* parent) override {
        QPrintDialog dialog(&printer, parent);
        dialog.setOptions(QAbstractPrintDialog::PrintToFile |
                          QAbstractPrintDialog::PrintShowPageSize);
        return dialog.exec() == QDialog::Accepted;
    }

    bool Can_Print() override {
#if defined(Q_OS_WIN)
        // Windows' dialog needs an installed printer, and without one
        // returns at once, showing nothing.
        return !QPrinterInfo::availablePrinterNames().isEmpty();
#else
        // Qt's own dialog prints to a PDF file without any printer.
        return true;
#endif
    }
};

}  // namespace

std::unique_ptr<Print_Engine> Make_Print_Engine() {
    return std::make_unique<Qt_Print_Engine>();
}

void Print_Document_Pages(const QTextDocument& document, QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        return;  // the print system has told the user
    }
    // The copy is laid out for the printer's resolution and page width.
    const std::unique_ptr<QTextDocument> pages(document.clone());
    pages->documentLayout()->setPaintDevice(&printer);
    // A margin inside the printable area, in the layout's 96-per-inch units:
    // lines that would cross a page's edge then move whole to the next page.
    QTextFrameFormat frame = pages->rootFrame()->frameFormat();
    frame.setMargin(Page_Margin_Centimetres / 2.54 * 96);
    pages->rootFrame()->setFrameFormat(frame);
    const QSizeF page(printer.width(), printer.height());
    pages->setPageSize(page);

    QAbstractTextDocumentLayout::PaintContext context;
    // Paper is white whatever the screen's colour scheme.
    context.palette.setColor(QPalette::Text, Qt::black);
    for (int index = 0; index < pages->pageCount(); ++index) {
        if (index > 0) {
            printer.newPage();
        }
        const QRectF view(QPointF(0, index * page.height()), page);
        painter.save();
        painter.translate(0, -view.top());
        painter.setClipRect(view);
        context.clip = view;
        pages->documentLayout()->draw(&painter, context);
        painter.restore();
    }
}

}  // namespace tessaly
