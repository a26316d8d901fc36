#include "main_form_fixture.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "core/data_file.h"
#include "core/profile_file.h"
#include "core/program_identity.h"
#include "report/report_window.h"
#include "test_support/qt_printers.h"
#include "ui/main/radio_group.h"

namespace {

using namespace tessaly;
using namespace tessaly::test;

using Report_Form = TBirthday_And_Date_Report_Form;

// File order, name order and next-event order all differ.
const std::vector<Entry> Five = {{"Cleo", 2001, 12, 22, "Birthday", ""},  // in 15 days
                                 {"Yan", 2000, 12, 20, "Birthday", ""},   // in 13 days
                                 {"Bea", 2010, 12, 8, "Wedding", ""},     // tomorrow
                                 {"Zed", 1989, 12, 7, "Birthday", ""},    // today
                                 {"Abe", 1980, 12, 21, "Birthday", ""}};  // in 14 days

class Main_Form_Report_Test : public Main_Form_Test {
protected:
    // Runs `act` once the report window is on the screen; `act` closes it.
    // One left open is ended, so that a fault fails the test instead of
    // hanging it.
    void On_Report(std::function<void(Report_Form&)> act) {
        // The fixture's own: a start-up report is awaited before the window
        // that could own it exists.
        QTimer* poll = polls.emplace_back(std::make_unique<QTimer>()).get();
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll, act] {
            Report_Form& report = *form->Birthday_And_Date_Report_Form;
            if (!report.isVisible()) {
                return;
            }
            poll->stop();
            ++showings;
            act(report);
            if (report.isVisible()) {
                ADD_FAILURE() << "the report window stayed open";
                report.done(QDialog::Rejected);
            }
        });
        poll->start(1);
    }

    // Start-up's settings step would untick a box ticked before the window is
    // shown; a queued call lands in start-up's message processing, after the
    // settings and the data are in.
    void Start_With_Report_Option() {
        QMetaObject::invokeMethod(
            qApp,
            [this] {
                if (form) {
                    form->Auto_Display_Coming_Events_Report_CheckBox->setChecked(true);
                }
            },
            Qt::QueuedConnection);
        Start();
    }

    bool Wait_For_Showings(int count) {
        return QTest::qWaitFor([&] { return showings == count; }, 5000);
    }

    // The second report of a test ends the program: the list in memory is
    // written and the window goes.
    void Expect_Second_Report_Exit_Saves_And_Closes() {
        On_Report([](Report_Form& report) { report.Exit_Program_BitBtn->click(); });
        form->Inform_Me_Now_BitBtnClick();
        EXPECT_EQ(showings, 2);
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(Read_Bytes(Data()), Serialise_Data_File(form->List()));
    }

    static QStringList Lines(const Report_Form& report) {
        return report.Results_RichEdit->toPlainText().split('\n');
    }

    // The entry lines and the count line below them.
    static QStringList Entry_Lines(const Report_Form& report) {
        const QStringList lines = Lines(report);
        const qsizetype count = lines.indexOf(QRegularExpression(" \\d+ events found.*"));
        return lines.mid(11, count - 12) << lines.value(count);
    }

    int showings = 0;
    std::vector<std::unique_ptr<QTimer>> polls;
};

TEST_F(Main_Form_Report_Test, ReportsByNextEventAndGivesTheUserSortBackWithTiesInThatOrder) {
    Write_Data(Five);
    Start();
    Main_Settings settings;
    settings.Sort_Column = 5;  // Event Type
    settings.Sort_Order = 1;   // Descending
    settings.Report_Top = 110;
    settings.Report_Left = 130;
    form->Apply_Settings(settings);
    form->Sort_Data_BitBtnClick();
    ASSERT_EQ(Names(), QStringList({"Bea", "Abe", "Cleo", "Yan", "Zed"}));

    On_Report([&](Report_Form& report) {
        EXPECT_EQ(report.windowTitle(), "Coming Birthdays and Events : ");
        EXPECT_EQ(report.Close_Window_BitBtn->text(), "&Events List");
        EXPECT_EQ(report.pos(), QPoint(130, 110));
        EXPECT_EQ(Lines(report).value(5), "     Valid at:  Mon, 07/12/2026");
        EXPECT_EQ(Entry_Lines(report),
                  QStringList({"    1.  Zed's 37th Birthday today (Mon, 07/12/2026)",
                               "    2.  Bea's 16th Wedding tomorrow (Tue, 08/12/2026)",
                               "    3.  Yan's 26th Birthday in 13 days (Sun, 20/12/2026)",
                               "    4.  Abe's 46th Birthday in 14 days (Mon, 21/12/2026)",
                               " 4 events found and reported."}));
        EXPECT_EQ(Lines(report).value(Lines(report).size() - 2).trimmed(), Maker_Web_Address);
        report.Close_Window_BitBtn->click();
    });
    form->Inform_Me_Now_BitBtn->click();

    EXPECT_EQ(showings, 1);
    EXPECT_EQ(form->Sort_By_Column_RadioGroup->Item_Index(), 5);
    EXPECT_EQ(form->Ascending_Descending_RadioGroup->Item_Index(), 1);
    EXPECT_EQ(Names(), QStringList({"Bea", "Zed", "Yan", "Abe", "Cleo"}));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Main_Form_Report_Test, TimeFrameIsTheSpinEditTextAndFiguresAreTodays) {
    Write_Data(Five);
    Start();
    const auto run = [&] {
        QStringList lines;
        On_Report([&](Report_Form& report) {
            lines = Entry_Lines(report) << Lines(report).value(3) << Lines(report).value(5);
            report.close();
        });
        form->Inform_Me_Now_BitBtnClick();
        return lines;
    };

    form->Days_Threshold_SpinEdit->setValue(13);
    EXPECT_EQ(run().mid(3), QStringList({" 3 events found and reported.",
                                         "    Timeframe:  Birthdays and Events occuring in the "
                                         "next 13 days.",
                                         "     Valid at:  Mon, 07/12/2026"}));

    // Text the user has not finished typing is no number: the lowest frame.
    form->Days_Threshold_SpinEdit->findChild<QLineEdit*>()->setText(QString());
    EXPECT_EQ(run().value(2), " 2 events found and reported.");

    // Past midnight, before the date check has run, with the list already in
    // the report's order: no sort refreshes the figures.
    form->Sort_By_Column_RadioGroup->Button(2)->click();
    form->Days_Threshold_SpinEdit->setValue(1);
    clock.Set(QDateTime(kMonday.addDays(1), QTime(0, 1)));
    EXPECT_EQ(run(), QStringList({"    1.  Bea's 16th Wedding today (Tue, 08/12/2026)",
                                  " 1 events found and reported.",
                                  "    Timeframe:  Birthdays and Events occuring in the next 1 "
                                  "days.",
                                  "     Valid at:  Tue, 08/12/2026"}));
    EXPECT_EQ(showings, 3);
}

TEST_F(Main_Form_Report_Test, EmptyListIsRefusedWithNothingChanged) {
    Start();
    form->Ascending_Descending_RadioGroup->Set_Item_Index(1);
    Report_Form& report = *form->Birthday_And_Date_Report_Form;
    const QString title = report.windowTitle();
    On_Report([](Report_Form& shown) { shown.close(); });

    form->Inform_Me_Now_BitBtnClick();
    // A report would have been shown inside the call; anything it queued
    // is delivered now.
    QCoreApplication::processEvents();

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Error);
    EXPECT_EQ(messages.shown[0].Caption, "Tessaly v1.0f");
    EXPECT_EQ(messages.shown[0].Text, "Error: There are no entries in the list.");
    EXPECT_EQ(showings, 0);
    EXPECT_EQ(report.windowTitle(), title);
    EXPECT_EQ(report.Close_Window_BitBtn->text(), "C&lose Report");
    EXPECT_TRUE(report.Results_RichEdit->document()->isEmpty());
    EXPECT_EQ(form->Sort_By_Column_RadioGroup->Item_Index(), 0);
    EXPECT_EQ(form->Ascending_Descending_RadioGroup->Item_Index(), 1);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(Main_Form_Report_Test, EventsListKeepsTheWindowAndExitProgramClosesItWithTheListSaved) {
    Write_Data(Five);
    const std::string loaded = Read_Bytes(Data());
    Start();
    // A change only in memory: the close must write it.
    form->Create_Test_Demo_Data_Menu_OptionClick();

    On_Report([](Report_Form& report) { report.Close_Window_BitBtn->click(); });
    form->Inform_Me_Now_BitBtnClick();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(Read_Bytes(Data()), loaded);

    Expect_Second_Report_Exit_Saves_And_Closes();
}

TEST_F(Main_Form_Report_Test, StartUpReportHidesTheWindowUntilItIsClosed) {
    Write_Data(Five);
    Start_With_Report_Option();
    EXPECT_TRUE(form->Hide_Mainform1_Timer->isActive());
    EXPECT_TRUE(form->windowState() & Qt::WindowMinimized);
    const int record_lines = form->Scaling_ListBox->count();

    bool visible_during = true;
    On_Report([&](Report_Form& report) {
        visible_during = form->isVisible();
        report.Close_Window_BitBtn->click();
    });
    ASSERT_TRUE(Wait_For_Showings(1));

    EXPECT_FALSE(visible_during);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->windowState() & Qt::WindowMinimized);
    EXPECT_FALSE(form->Hide_Mainform1_Timer->isActive());
    // Coming back is no second start-up.
    EXPECT_EQ(form->Scaling_ListBox->count(), record_lines);
    EXPECT_TRUE(messages.shown.empty());
}

// The settings are in before the start-up report shows, though the main
// window never has.
TEST_F(Main_Form_Report_Test, StartUpReportShowsAtItsStoredPlaceAndSize) {
    Write_Data(Five);
    Write_Bytes(dir.File("Tessaly.ini"),
                "[Tessaly]\r\nAuto_Display_Coming_Events_Report_CheckBox=1\r\n"
                "Dialog_Richedit_top_posn=40\r\nDialog_Richedit_left_posn=50\r\n"
                "Dialog_Richedit_width=700\r\nDialog_Richedit_height=480\r\n");
    QRect shown;
    On_Report([&](Report_Form& report) {
        shown = QRect(report.pos(), report.size());
        report.resize(710, 490);
        report.Close_Window_BitBtn->click();
    });
    Start();
    ASSERT_TRUE(Wait_For_Showings(1));
    EXPECT_EQ(shown, QRect(50, 40, 700, 480));
    ASSERT_TRUE(form->close());
    const Profile_File saved = Profile_File::Load(dir.File("Tessaly.ini"));
    EXPECT_EQ(saved.Read_Integer("Tessaly", "Dialog_Richedit_width", 0), 710);
    EXPECT_EQ(saved.Read_Integer("Tessaly", "Dialog_Richedit_height", 0), 490);
}

TEST_F(Main_Form_Report_Test, StartUpReportExitSavesAndEndsOrBringsTheWindowBackWhenRefused) {
    Write_Data(Five);
    const std::string loaded = Read_Bytes(Data());
    Start_With_Report_Option();
    // A change only in memory, which a failing disk keeps from being saved:
    // the close is refused.
    form->List().At(1).Comments += " changed";
    messages.answers = {Message_Answer::Ok, Message_Answer::No};
    {
        test::Failing_Saves failing;
        On_Report([](Report_Form& report) { report.Exit_Program_BitBtn->click(); });
        ASSERT_TRUE(Wait_For_Showings(1));
    }
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->windowState() & Qt::WindowMinimized);
    EXPECT_EQ(Read_Bytes(Data()), loaded);

    Expect_Second_Report_Exit_Saves_And_Closes();
}

TEST_F(Main_Form_Report_Test, StartUpReportOptionWithEmptyListRestoresTheWindowAtOnce) {
    Start_With_Report_Option();
    EXPECT_TRUE(form->Auto_Display_Coming_Events_Report_CheckBox->isChecked());
    EXPECT_FALSE(form->Hide_Mainform1_Timer->isActive());
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(messages.shown.empty());
}

// A name with line breaks, as a CSV import can bring, reads alike in the
// grid and in the report.
TEST_F(Main_Form_Report_Test, ALineBreakInANameReadsAsASpaceInTheGridAndTheReport) {
    Start();
    TName_And_Event_Data& entry = form->List().Append();
    entry.Name = "Line\r\nBreak";
    entry.Orig_Date = Day_Number_Of(1989, 12, 7);
    entry.Event_Type = "Birth\nday";
    entry.Comments = "one\rtwo";
    form->Refresh_StringGrid_From_Array_ButtonClick();
    EXPECT_EQ(Row(1).value(0), "Line Break");
    EXPECT_EQ(Row(1).value(5), "Birth day");
    EXPECT_EQ(Row(1).value(6), "one two");
    On_Report([&](Report_Form& report) {
        EXPECT_EQ(Entry_Lines(report).value(0),
                  "    1.  Line Break's 37th Birth day today (Mon, 07/12/2026)");
        report.Close_Window_BitBtn->click();
    });
    form->Inform_Me_Now_BitBtnClick();
    EXPECT_EQ(showings, 1);
}

// A system without a printer: the set-up question must not be reached.
struct No_Printer_Setup final : Print_Setup {
    bool Set_Up_Printer(QPrinter&, QWidget*) override {
        ADD_FAILURE() << "asked for a printer that is not there";
        return false;
    }
    bool Can_Print() override { return false; }
};

TEST_F(Main_Form_Report_Test, PrintWithoutAPrinterSaysSoThroughTheWindowsMessages) {
    Write_Data(Five);
    Start();
    form->Birthday_And_Date_Report_Form->Set_Print_Setup(std::make_unique<No_Printer_Setup>());
    On_Report([](Report_Form& report) {
        report.Print_BitBtn->click();
        report.Close_Window_BitBtn->click();
    });
    form->Inform_Me_Now_BitBtnClick();
    ASSERT_EQ(showings, 1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Error);
    EXPECT_EQ(messages.shown[0].Text, No_Printer_Message());
}

}  // namespace
