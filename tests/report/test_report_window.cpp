#include "report/report_window.h"

#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/dates.h"
#include "core/event_list.h"
#include "core/short_date.h"
#include "report/report_rich_text.h"
#include "test_support/accessibility.h"
#include "test_support/desktop_themes.h"
#include "test_support/scripted_message_boxes.h"
#include "test_support/temp_dir.h"
#include "test_support/wait_until.h"
#include "widgets/contrast.h"

namespace tessaly {
namespace {

const Day_Number Today = Encode_Date(2026, 12, 7);  // a Monday

TName_And_Event_Data Entry(std::string name, int days_left, int age = 30) {
    TName_And_Event_Data entry;
    entry.Name = std::move(name);
    entry.Age_Next = age;
    entry.Event_Type = "Birthday";
    entry.Days_Left = days_left;
    entry.Next_Event = Today + days_left;
    return entry;
}

Report_Document Report_Of(const std::vector<TName_And_Event_Data>& entries) {
    Event_List list;
    for (const auto& entry : entries) {
        list.Append() = entry;
    }
    return Build_Coming_Events_Report(
        {&list, 100, Today, Make_Strftime_Formatter("%d/%m/%Y"), "https://tessaly.example.org"});
}

Report_Document Long_Report(int entries) {
    std::vector<TName_And_Event_Data> list;
    for (int i = 1; i <= entries; ++i) {
        list.push_back(Entry("Person " + std::to_string(i), i % 100));
    }
    return Report_Of(list);
}

// The block's text with every character whose format fails `keep` as "~".
QString Marked(const QTextBlock& block, const std::function<bool(const QTextCharFormat&)>& keep) {
    QString marked;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        for (const QChar c : it.fragment().text()) {
            marked += keep(it.fragment().charFormat()) ? c : u'~';
        }
    }
    return marked;
}

QString Only(const QString& line, qsizetype start = 0, qsizetype length = 0) {
    QString marked(line.size(), u'~');
    marked.replace(start, length, line.mid(start, length));
    return marked;
}

bool Is_Blue(const QTextCharFormat& f) {
    return f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().color() == Qt::blue;
}
bool Is_Bold(const QTextCharFormat& f) {
    return f.fontWeight() == QFont::Bold;
}

TEST(Report_Rich_Text_Test, EveryCharacterCarriesTheReportsFormat) {
    // "1" occurs first as the position number; the empty name is found at
    // the line's start; the emoji takes two UTF-16 units.
    const Report_Document report = Report_Of(
        {Entry("1", 0, 40), Entry("Zoë 😀 Vale", 3), Entry("", 5), Entry("Nora Vale", 9, 12)});
    QTextDocument document;
    Render_Report_Document(report, document);

    ASSERT_EQ(document.blockCount(), static_cast<int>(report.Paragraphs.size()));
    EXPECT_EQ(document.toPlainText(), QString::fromStdString(report.Plain_Text()));
    struct Highlight {
        QString Line;
        qsizetype Start, Length;
    };
    const std::vector<Highlight> entries = {
        {"    1.  1's 40th Birthday today (Mon, 07/12/2026)", 4, 4},
        {"    2.  Zoë 😀 Vale's 30th Birthday in 3 days (Thu, 10/12/2026)", 8, 14},
        {"    3.  's 30th Birthday in 5 days (Sat, 12/12/2026)", 0, 3},
        {"    4.  Nora Vale's 12th Birthday in 9 days (Wed, 16/12/2026)", 8, 12},
    };
    const int heading = 1;
    const int first_entry = 11;
    const int address = document.blockCount() - 2;

    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        SCOPED_TRACE(block.blockNumber());
        const int n = block.blockNumber();
        const QString text = block.text();
        QString blue = Only(text);
        QString bold = n == heading || n == address ? text : Only(text);
        if (n >= first_entry && n - first_entry < static_cast<int>(entries.size())) {
            const Highlight& expected = entries[static_cast<std::size_t>(n - first_entry)];
            ASSERT_EQ(text, expected.Line);
            blue = bold = Only(text, expected.Start, expected.Length);
        }
        EXPECT_EQ(Marked(block, Is_Blue), blue);
        EXPECT_EQ(Marked(block, Is_Bold), bold);
        EXPECT_EQ(Marked(block, [](const auto& f) { return f.fontUnderline(); }),
                  n == heading ? text : Only(text));
        EXPECT_EQ(Marked(block, [](const auto& f) { return f.fontPointSize() == 10; }),
                  n == heading ? Only(text) : text);
        EXPECT_EQ(block.blockFormat().alignment(), n == heading ? Qt::AlignHCenter : Qt::AlignLeft);
    }
    EXPECT_EQ(document.findBlockByNumber(heading).text(), "Coming Birthdays and Events Report.");
    EXPECT_EQ(document.findBlockByNumber(heading).charFormat().fontPointSize(), 18);
    EXPECT_EQ(document.findBlockByNumber(address).text().trimmed(), "https://tessaly.example.org");
    // The empty last line keeps the address line's bold.
    EXPECT_TRUE(Is_Bold(document.lastBlock().charFormat()));
}

TEST(Report_Rich_Text_Test, ABreakInsideANameStaysWithinItsLine) {
    const Report_Document report =
        Report_Of({Entry("Ann\rLee", 0), Entry("Bo\r\nb", 1), Entry("Cy\xEF\xB7\x90z", 2)});
    QTextDocument document;
    Render_Report_Document(report, document);

    ASSERT_EQ(document.blockCount(), static_cast<int>(report.Paragraphs.size()));
    const QTextBlock first = document.findBlockByNumber(11);
    // A line break reads as a space, as in the grid and the terminal.
    EXPECT_EQ(first.text(), "    1.  Ann Lee's 30th Birthday today (Mon, 07/12/2026)");
    EXPECT_EQ(Marked(first, Is_Blue), Only(first.text(), 8, 10));
    EXPECT_EQ(first.next().text(), "    2.  Bo b's 30th Birthday tomorrow (Tue, 08/12/2026)");
    EXPECT_EQ(Marked(first.next(), Is_Blue), Only(first.next().text(), 8, 7));
    EXPECT_EQ(first.next().next().text(),
              "    3.  Cy?z's 30th Birthday in 2 days (Wed, 09/12/2026)");
}

// Runs the form modally with `act` inside its loop; false when the form did
// not close by itself and had to be ended.
bool Run_Modal(TBirthday_And_Date_Report_Form& form, const std::function<void()>& act) {
    bool stuck = false;
    QTimer::singleShot(0, &form, act);
    QTimer::singleShot(5000, &form, [&] {
        if (form.isVisible()) {
            stuck = true;
            form.done(QDialog::Rejected);
        }
    });
    form.exec();
    return !stuck;
}

struct Closer {
    const char* Name;
    std::function<void(TBirthday_And_Date_Report_Form&)> Close;
};

void PrintTo(const Closer& closer, std::ostream* os) {
    *os << closer.Name;
}

class Report_Form_Closing_Test : public testing::TestWithParam<Closer> {};

TEST_P(Report_Form_Closing_Test, ClosesWithTheFlagClearedAfterAnEarlierExit) {
    TBirthday_And_Date_Report_Form form;
    form.Set_Report(Long_Report(3));
    ASSERT_TRUE(Run_Modal(form, [&] { form.Exit_Program_BitBtn->click(); }));
    ASSERT_TRUE(form.Exit_Program_Requested());

    bool flag_on_showing = true;
    EXPECT_TRUE(Run_Modal(form, [&] {
        flag_on_showing = form.Exit_Program_Requested();
        GetParam().Close(form);
    }));
    EXPECT_FALSE(flag_on_showing);
    EXPECT_FALSE(form.Exit_Program_Requested());
}

INSTANTIATE_TEST_SUITE_P(
    Every_Way_But_Exit, Report_Form_Closing_Test,
    testing::Values(Closer{"Button", [](auto& form) { form.Close_Window_BitBtn->click(); }},
                    Closer{"Escape_In_Text",
                           [](auto& form) {
                               form.Results_RichEdit->setFocus();
                               QTest::keyClick(form.Results_RichEdit, Qt::Key_Escape);
                           }},
                    Closer{"Title_Bar",
                           [](auto& form) {
                               QCloseEvent close;
                               QCoreApplication::sendEvent(&form, &close);
                           }}),
    [](const testing::TestParamInfo<Closer>& closer) { return std::string(closer.param.Name); });

TEST(Report_Form_Test, ShownAtTheStoredPositionNeverCentredAndReportsWhereItWasMoved) {
    QWidget owner;
    owner.setGeometry(300, 250, 300, 200);
    owner.show();
    TBirthday_And_Date_Report_Form form(&owner);
    const auto shown_at = [&form] {
        QPoint shown;
        EXPECT_TRUE(Run_Modal(form, [&] {
            shown = form.pos();
            form.move(140, 95);  // as the user drags it
            form.Close_Window_BitBtn->click();
        }));
        return shown;
    };

    EXPECT_EQ(shown_at(), QPoint(Report_Form_Default_Left, Report_Form_Default_Top));
    EXPECT_EQ(std::pair(form.Top(), form.Left()), std::pair(95, 140));
    form.Set_Position(37, 61);
    EXPECT_EQ(shown_at(), QPoint(61, 37));
    // A position no screen shows (a monitor since removed) is not kept.
    form.Set_Position(-3000, 9000);
    EXPECT_EQ(shown_at(), QPoint(Report_Form_Default_Left, Report_Form_Default_Top));
}

// Under Wayland a window learns nothing of where the compositor put it: the
// place stored from a desktop that tells stays for the next one.
TEST(Report_Form_Test, WhereThePlatformHidesPositionsTheStoredOneIsKept) {
    TBirthday_And_Date_Report_Form form;
    form.Set_Positions_Known(false);
    form.Set_Position(123, 234);
    EXPECT_TRUE(Run_Modal(form, [&] {
        form.move(-3, -30);  // the offset of the frame Qt draws itself
        form.Close_Window_BitBtn->click();
    }));
    EXPECT_EQ(std::pair(form.Top(), form.Left()), std::pair(123, 234));
    // Nor is it taken for out of reach and replaced by the defaults.
    form.Set_Position(-3000, 9000);
    EXPECT_TRUE(Run_Modal(form, [&] { form.Close_Window_BitBtn->click(); }));
    EXPECT_EQ(std::pair(form.Top(), form.Left()), std::pair(-3000, 9000));
}

// The design size is the least; whatever the window gains goes to the text,
// and the buttons stay in their order in a centred row below it.
TEST(Report_Form_Test, GrowsWithTheTextTakingTheRoomAndTheButtonsInARowBelow) {
    TBirthday_And_Date_Report_Form form;
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::MSWindowsFixedSizeDialogHint);
    const QSize design(Report_Form_Design_Width, Report_Form_Design_Height);
    EXPECT_EQ(form.minimumSize(), design);
    EXPECT_EQ(form.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));

    const std::vector<QPushButton*> row = {form.Clipboard_BitBtn, form.Print_BitBtn,
                                           form.Close_Window_BitBtn, form.Exit_Program_BitBtn};
    for (const QSize size : {design, QSize(760, 560), QSize(634, 426), QSize(100, 100)}) {
        SCOPED_TRACE(QString("%1x%2").arg(size.width()).arg(size.height()).toStdString());
        form.Set_Window_Size(size.width(), size.height());
        EXPECT_TRUE(Run_Modal(form, [&] {
            const QSize shown = form.size();
            EXPECT_EQ(shown, size.expandedTo(design));
            const QSize gained = shown - design;
            EXPECT_EQ(form.Results_RichEdit->geometry(),
                      QRect(6, 12, 619 + gained.width(), 365 + gained.height()));
            for (std::size_t i = 0; i < row.size(); ++i) {
                EXPECT_EQ(row[i]->geometry(),
                          QRect(8 + gained.width() / 2 + 156 * static_cast<int>(i),
                                384 + gained.height(), 150, 35));
            }
            form.Close_Window_BitBtn->click();
        }));
    }
    EXPECT_EQ(form.Print_BitBtn->nextInFocusChain(), form.Clipboard_BitBtn);
}

// A report too long for the designed box reads whole once the window is
// maximised; coming back, and closing, it keeps the size it had.
TEST(Report_Form_Test, MaximisedTheLongReportReadsWithoutScrollingAndTheSizeStays) {
    TBirthday_And_Date_Report_Form form;
    form.Set_Report(Long_Report(10));
    form.Set_Window_Size(700, 450);
    int designed_scroll = 0;
    int maximised_scroll = -1;
    QSize maximised;
    EXPECT_TRUE(Run_Modal(form, [&] {
        designed_scroll = form.Results_RichEdit->verticalScrollBar()->maximum();
        form.showMaximized();
        TESSALY_WAIT_UNTIL(form.isMaximized() && form.size() != QSize(700, 450));
        maximised = form.size();
        maximised_scroll = form.Results_RichEdit->verticalScrollBar()->maximum();
        EXPECT_EQ(form.Results_RichEdit->height(), maximised.height() - 60);
        form.Close_Window_BitBtn->click();
    }));
    EXPECT_GT(designed_scroll, 0);
    EXPECT_EQ(maximised_scroll, 0);
    EXPECT_GT(maximised.height(), 450);
    EXPECT_EQ(std::pair(form.Window_Width(), form.Window_Height()), std::pair(700, 450));
}

// The stored size is shown as far as the screen has room and the design
// allows, and read back unchanged unless the user resized the window.
TEST(Report_Form_Test, StoredSizeIsFittedToTheScreenAndReadBackAsStoredOrAsResized) {
    TBirthday_And_Date_Report_Form form;
    const QSize room = QGuiApplication::primaryScreen()->availableGeometry().size();
    const QSize design(Report_Form_Design_Width, Report_Form_Design_Height);
    const struct {
        QSize stored;
        QSize shown;
        std::optional<QSize> resized_to;
        QSize read_back;
    } cases[] = {
        {{700, 480}, {700, 480}, std::nullopt, {700, 480}},
        {{10, -5}, design, std::nullopt, {10, -5}},
        {{9000, 7000}, room, std::nullopt, {9000, 7000}},
        {{9000, 480}, {room.width(), 480}, std::nullopt, {9000, 480}},
        {{9000, 7000}, room, QSize(720, 500), {720, 500}},
        {{700, 480}, {700, 480}, QSize(650, 430), {650, 430}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QString("%1x%2").arg(c.stored.width()).arg(c.stored.height()).toStdString());
        form.Set_Window_Size(c.stored.width(), c.stored.height());
        EXPECT_TRUE(Run_Modal(form, [&] {
            EXPECT_EQ(form.size(), c.shown);
            if (c.resized_to) {
                form.resize(*c.resized_to);  // as the user drags the frame
            }
            form.Close_Window_BitBtn->click();
        }));
        EXPECT_EQ(QSize(form.Window_Width(), form.Window_Height()), c.read_back);
    }
}

// A screen reader starts on the report itself, which has a name; the tab
// order stays as it was.
TEST(Report_Form_Test, TheReportTextIsNamedAndHasTheFocusWhenShown) {
    TBirthday_And_Date_Report_Form form;
    QWidget* focused = nullptr;
    EXPECT_TRUE(Run_Modal(form, [&] {
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        focused = QApplication::focusWidget();
        EXPECT_EQ(test::Unnamed_Interactive(&form), QStringList());
        form.Close_Window_BitBtn->click();
    }));
    EXPECT_EQ(focused, form.Results_RichEdit);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form.Results_RichEdit)->text(QAccessible::Name),
              "Coming Birthdays and Events");
    EXPECT_EQ(form.Print_BitBtn->nextInFocusChain(), form.Clipboard_BitBtn);
}

TEST(Report_Form_Test, CopyPutsTheWholeReportOnTheClipboardAndLeavesNothingSelected) {
    TBirthday_And_Date_Report_Form form;
    const Report_Document report = Long_Report(40);
    form.Set_Report(report);
    const QString plain = QString::fromStdString(report.Plain_Text());
    ASSERT_EQ(form.Results_RichEdit->toPlainText(), plain);
    // A selection the user left must not limit the copy.
    QTextCursor part = form.Results_RichEdit->textCursor();
    part.setPosition(30);
    part.setPosition(60, QTextCursor::KeepAnchor);
    form.Results_RichEdit->setTextCursor(part);
    QApplication::clipboard()->clear();

    form.Clipboard_BitBtn->click();

    const QMimeData* copied = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(copied != nullptr && copied->hasHtml() && copied->hasText());
    EXPECT_EQ(copied->text(), plain);
    QTextDocument rich;
    rich.setHtml(copied->html());
    EXPECT_EQ(rich.toPlainText(), plain);
    EXPECT_TRUE(copied->html().contains("#0000ff", Qt::CaseInsensitive));
    EXPECT_FALSE(form.Results_RichEdit->textCursor().hasSelection());
    EXPECT_EQ(form.Results_RichEdit->textCursor().position(), 0);
}

// The report is a page, as printed, under any desktop colours; the window
// round it follows the desktop. The theme arrives with the window open, as
// when the desktop's colours are changed.
TEST(Report_Form_Test, TheReportShowsAsAWhitePageWithBlackTextAndBlueNamesInADarkTheme) {
    TBirthday_And_Date_Report_Form form;
    form.Set_Report(Report_Of({Entry("Nora Vale", 9, 12)}));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const test::Scoped_Desktop_Theme theme(test::Dark_Fusion_Palette());
    TESSALY_WAIT_UNTIL_EQ(form.palette().color(QPalette::Window), QColor(0x35, 0x35, 0x35));

    const QTextEdit& view = *form.Results_RichEdit;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        SCOPED_TRACE(group);
        const QPalette& page = view.palette();
        EXPECT_EQ(page.color(group, QPalette::Base), QColor(Qt::white));
        EXPECT_EQ(page.color(group, QPalette::Text), QColor(Qt::black));
        EXPECT_EQ(view.viewport()->palette().color(group, QPalette::Base), QColor(Qt::white));
        // A selection reads, and shows on the page.
        EXPECT_GE(Contrast_Ratio(page.color(group, QPalette::HighlightedText),
                                 page.color(group, QPalette::Highlight)),
                  Text_Contrast);
        EXPECT_GE(Contrast_Ratio(page.color(group, QPalette::Highlight), Qt::white), 3.0);
    }
    EXPECT_EQ(form.Print_BitBtn->palette().color(QPalette::ButtonText), QColor(Qt::white));

    // What is painted: the page, the black lines and the blue name.
    const QImage shot = view.viewport()->grab().toImage();
    const QTextBlock entry = view.document()->findBlockByNumber(11);
    ASSERT_TRUE(entry.text().contains("Nora Vale"));
    EXPECT_EQ(Marked(entry, Is_Blue), Only(entry.text(), 8, 12));
    const QRect line =
        view.document()->documentLayout()->blockBoundingRect(entry).toAlignedRect().translated(
            -view.horizontalScrollBar()->value(), -view.verticalScrollBar()->value());
    int blue = 0;
    int black = 0;
    for (int y = line.top(); y <= line.bottom(); ++y) {
        for (int x = std::max(line.left(), 0); x < std::min(line.right(), shot.width()); ++x) {
            const QColor pixel = shot.pixelColor(x, y);
            blue += pixel == QColor(Qt::blue) ? 1 : 0;
            black += pixel == QColor(Qt::black) ? 1 : 0;
        }
    }
    EXPECT_GT(blue, 20);
    EXPECT_GT(black, 20);
    EXPECT_EQ(test::Ink_In(shot, line).Background, QColor(Qt::white));
}

// Prints to a PDF file instead of asking, or cancels.
struct File_Print_Setup final : Print_Setup {
    QString File;
    bool Confirm = false;
    int Asked = 0;

    bool Set_Up_Printer(QPrinter& printer, QWidget*) override {
        ++Asked;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(File);
        return Confirm;
    }
};

QString Run_Tool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(30000) && process.exitCode() == 0) << program.toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Non-empty lines with runs of white space made single.
std::string Normalised_Lines(QString text) {
    QStringList lines;
    for (const QString& line : text.replace(u'\f', u'\n').split(u'\n', Qt::SkipEmptyParts)) {
        if (!line.simplified().isEmpty()) {
            lines << line.simplified();
        }
    }
    return lines.join(u'\n').toStdString();
}

TEST(Report_Form_Test, PrintsTheWholeReportPageAfterPageAsOneTitledJobOrNothingOnCancel) {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) {
        GTEST_SKIP() << "pdftotext is not installed";
    }
    test::Temp_Dir folder;
    const std::filesystem::path pdf = folder.File("report.pdf");
    auto setup = std::make_unique<File_Print_Setup>();
    File_Print_Setup& printer_setup = *setup;
    printer_setup.File = QString::fromStdString(pdf.string());
    TBirthday_And_Date_Report_Form form;
    form.Set_Print_Setup(std::move(setup));
    const Report_Document report = Long_Report(120);
    form.Set_Report(report);

    form.Print_BitBtn->click();
    EXPECT_EQ(printer_setup.Asked, 1);
    EXPECT_FALSE(std::filesystem::exists(pdf));

    printer_setup.Confirm = true;
    form.Print_BitBtn->click();
    ASSERT_TRUE(std::filesystem::exists(pdf));
    EXPECT_EQ(Report_Print_Job_Title(), "Report produced by : test_report_window");
    const QString info = Run_Tool("pdfinfo", {printer_setup.File});
    EXPECT_TRUE(
        info.contains(QRegularExpression("Title: +Report produced by : test_report_window\n")))
        << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Pages: +[2-9]\n"))) << info.toStdString();
    // Every line once, in order: nothing lost or repeated at a page break.
    EXPECT_EQ(Normalised_Lines(
                  Run_Tool("pdftotext", {"-layout", "-enc", "UTF-8", printer_setup.File, "-"})),
              Normalised_Lines(QString::fromStdString(report.Plain_Text())));
}

// Prints to a file, on a system with or without a printer installed.
struct Counting_Print_Setup final : Print_Setup {
    bool Printer = true;
    QString File;
    int Asked = 0;

    bool Set_Up_Printer(QPrinter& printer, QWidget*) override {
        ++Asked;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(File);
        return true;
    }
    bool Can_Print() override { return Printer; }
};

TEST(Report_Form_Test, WithNothingToPrintOnPrintSaysSoInsteadOfDoingNothing) {
    test::Temp_Dir folder;
    for (const bool printer : {false, true}) {
        SCOPED_TRACE(printer ? "a printer" : "no printer");
        auto owned = std::make_unique<Counting_Print_Setup>();
        Counting_Print_Setup& setup = *owned;
        setup.Printer = printer;
        setup.File = QString::fromStdString(folder.File("report.pdf").string());
        test::Scripted_Message_Boxes messages;
        TBirthday_And_Date_Report_Form form;
        form.Set_Print_Setup(std::move(owned));
        form.Set_Messages(messages);
        form.Set_Report(Long_Report(3));

        form.Print_BitBtn->click();
        EXPECT_EQ(setup.Asked, printer ? 1 : 0);
        EXPECT_EQ(std::filesystem::exists(folder.File("report.pdf")), printer);
        if (printer) {
            EXPECT_TRUE(messages.shown.empty());
            continue;
        }
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Error);
        EXPECT_EQ(messages.shown[0].Caption, "Tessaly v1.0f");
        EXPECT_EQ(messages.shown[0].Text,
                  "Error: No printer is installed, so the report cannot be printed.\n\nAdd a "
                  "printer in Windows' settings (Printers & scanners), then print again.");
    }
}

}  // namespace
}  // namespace tessaly
