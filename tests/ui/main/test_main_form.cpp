#include "ui/main/main_form.h"

#include "main_form_fixture.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <signal.h>

#include <QCloseEvent>
#include <QEventLoop>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/data_file.h"
#include "core/dates.h"
#include "report/report_window.h"
#include "test_support/temp_dir.h"
#include "ui/common/clock.h"
#include "ui/common/termination_signals.h"
#include "ui/dialogs/about_box.h"
#include "ui/main/grid_selection.h"
#include "ui/main/radio_group.h"
#include "widgets/format_string_grid.h"

namespace {

using namespace tessaly;
using namespace tessaly::test;

const QRect Whole_Row_1(QPoint(0, 1), QPoint(6, 1));

TEST_F(Main_Form_Test, StartsWithoutDataFileQuietlyAndShowsTheEmptyListAtOnce) {
    TMainForm1& window = Start();

    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(window.windowTitle(), "Tessaly v1.0f");
    // The stored bounds are the outer ones, frame included.
    EXPECT_EQ(window.frameGeometry(), QRect(20, 20, 705, 472));
    EXPECT_FALSE(window.windowState() & Qt::WindowMinimized);
    EXPECT_FALSE(window.Create_Test_Demo_Data_Menu_Option->isVisible());
    EXPECT_EQ(window.Scaling_ListBox->item(0)->text(), "697 439 W/H Mainform1");
    EXPECT_EQ(window.Sort_By_Column_RadioGroup->Items(),
              QStringList({"Name", "Orig. Date", "Next Event", "Days Left", "Age Next",
                           "Event Type", " Comments"}));
    EXPECT_EQ(window.Days_Threshold_SpinEdit->value(), 14);
    EXPECT_FALSE(window.Hide_Mainform1_Timer->isActive());
    EXPECT_TRUE(window.Change_Of_Date_Check_Timer->isActive());
    EXPECT_EQ(window.Change_Of_Date_Check_Timer->interval(), 5000);

    // A first start looks finished at once: status line, an empty row, and
    // nothing left over from the grid's own start (a lone cell under the
    // titles).
    EXPECT_EQ(window.Refresh_Count(), 1);
    EXPECT_EQ(window.Refreshed_On(), Day_Number_Of(2026, 12, 7));
    EXPECT_EQ(window.All_GroupBox->title(),
              "  0 events listed,    Today's date is Mon, 07/12/2026");
    EXPECT_EQ(Grid().Row_Count(), 2);
    EXPECT_EQ(Row(1), QStringList(7, QString()));
    EXPECT_EQ(Grid().Selection(), Whole_Row_1);
    EXPECT_EQ(Grid().Row(), 1);
    EXPECT_EQ(Grid().Col(), 0);
    // The date has not changed: the first date check leaves it.
    window.Change_Of_Date_Check_TimerTimer();
    EXPECT_EQ(window.Refresh_Count(), 1);
}

TEST_F(Main_Form_Test, LoadsDataFileIntoGridInSortOrderWithOneNestedRefresh) {
    Write_Data({{"Zebra", 1990, 3, 1, "Birthday", "stripes"},
                {"apple", 2000, 12, 8, "Anniversary", ""},
                {"", 1980, 1, 1, "Blank", "x"},
                {"Tax", 2010, 12, 6, "Due", "return"}});
    TMainForm1& window = Start();

    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(window.All_GroupBox->title(),
              "  4 events listed,    Today's date is Mon, 07/12/2026");
    ASSERT_EQ(Grid().Row_Count(), 5);
    // Ordinal by bytes: the empty name first, capitals before lower case.
    EXPECT_EQ(Row(1), QStringList(7, QString()));
    EXPECT_EQ(Row(2),
              QStringList({"Tax", "06/12/2010", "06/12/2027", "364", "17", "Due", "return"}));
    EXPECT_EQ(Row(3), QStringList({"Zebra", "01/03/1990", "01/03/2027", "84", "37", "Birthday",
                                   "stripes"}));
    EXPECT_EQ(Row(4),
              QStringList({"apple", "08/12/2000", "08/12/2026", "1", "26", "Anniversary", ""}));
    EXPECT_EQ(window.List().At(2).Name, "Tax");
    EXPECT_EQ(Grid().Selection(), Whole_Row_1);
    // The load's refresh sorted, so it ran one complete refresh inside
    // itself, and no more.
    EXPECT_EQ(window.Refresh_Count(), 2);
    EXPECT_EQ(window.Refreshed_On(), Day_Number_Of(2026, 12, 7));
}

TEST_F(Main_Form_Test, OneEntryGivesTwoRowsAndNoBlankRow) {
    Write_Data({{"Solo", 2001, 5, 4, "Birthday", ""}});
    Start();

    EXPECT_EQ(form->All_GroupBox->title(), "  1 events listed,    Today's date is Mon, 07/12/2026");
    EXPECT_EQ(Grid().Row_Count(), 2);
    EXPECT_EQ(Grid().Cell(0, 1), "Solo");
    // Already in order: a refresh without a nested one.
    EXPECT_EQ(form->Refresh_Count(), 1);
}

TEST_F(Main_Form_Test, RadioGroupsRefillTheGridOnlyWhenTheOrderChanged) {
    Write_Data({{"Tax", 2010, 12, 6, "Due", ""},
                {"Zebra", 1990, 3, 1, "Birthday", ""},
                {"apple", 2000, 12, 8, "Anniversary", ""}});
    Start();
    ASSERT_EQ(Names(), QStringList({"Tax", "Zebra", "apple"}));
    Select_Row(Grid(), 2);
    const int refreshes = form->Refresh_Count();

    // A cell the refresh would overwrite tells whether the grid was refilled.
    Grid().Set_Cell(6, 1, "untouched");
    form->Sort_By_Column_RadioGroup->Button(3)->click();  // Days Left
    EXPECT_EQ(form->Sort_By_Column_RadioGroup->Item_Index(), 3);
    EXPECT_EQ(Names(), QStringList({"apple", "Zebra", "Tax"}));
    EXPECT_EQ(Grid().Cell(6, 1), "");
    EXPECT_EQ(form->Refresh_Count(), refreshes + 1);
    EXPECT_EQ(Selected_Top_Row(Grid()), 2);
    EXPECT_EQ(Selected_Row_Count(Grid()), 1);

    // Next Event orders these three the same way: nothing moves, no refill.
    Grid().Set_Cell(6, 1, "untouched");
    form->Sort_By_Column_RadioGroup->Button(2)->click();
    EXPECT_EQ(Grid().Cell(6, 1), "untouched");
    EXPECT_EQ(form->Refresh_Count(), refreshes + 1);

    form->Ascending_Descending_RadioGroup->Button(1)->click();
    EXPECT_EQ(Names(), QStringList({"Tax", "Zebra", "apple"}));
    EXPECT_EQ(form->Refresh_Count(), refreshes + 2);
    EXPECT_EQ(Selected_Top_Row(Grid()), 2);

    // Clicking the chosen item again is no change at all.
    form->Ascending_Descending_RadioGroup->Button(1)->click();
    EXPECT_EQ(form->Refresh_Count(), refreshes + 2);
}

TEST_F(Main_Form_Test, MidnightRefreshesDaysAndDateWithoutReport) {
    clock.Set(QDateTime(kMonday, QTime(23, 59, 58)));
    Write_Data({{"Today", 2000, 12, 7, "Birthday", ""}, {"Thursday", 1990, 12, 10, "Party", ""}});
    Start();
    form->Sort_By_Column_RadioGroup->Button(3)->click();  // Days Left
    ASSERT_EQ(Row(1),
              QStringList({"Today", "07/12/2000", "07/12/2026", "0", "26", "Birthday", ""}));
    ASSERT_EQ(Grid().Cell(3, 2), "3");
    const int refreshes = form->Refresh_Count();

    // Still the same day: the check changes nothing.
    clock.Advance_Seconds(1);
    form->Change_Of_Date_Check_TimerTimer();
    EXPECT_EQ(form->Refresh_Count(), refreshes);

    clock.Advance_Seconds(2);
    form->Change_Of_Date_Check_TimerTimer();
    EXPECT_EQ(form->All_GroupBox->title(), "  2 events listed,    Today's date is Tue, 08/12/2026");
    EXPECT_EQ(Row(1),
              QStringList({"Thursday", "10/12/1990", "10/12/2026", "2", "36", "Party", ""}));
    // Yesterday's event moved a year on and to the end of the days-left order.
    EXPECT_EQ(Row(2),
              QStringList({"Today", "07/12/2000", "07/12/2027", "364", "27", "Birthday", ""}));
    EXPECT_EQ(form->Refreshed_On(), Day_Number_Of(2026, 12, 8));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(form->Hide_Mainform1_Timer->isActive());
    EXPECT_TRUE(form->isVisible());
}

TEST_F(Main_Form_Test, ColumnWidthsFollowTheGridWidthOnEveryResize) {
    Start();
    const std::vector<int> percent = {30, 15, 15, 10, 12, 18, 82};
    const auto expect_rule = [&] {
        const int usable = Grid().width() - 26;
        for (int col = 0; col < 7; ++col) {
            EXPECT_EQ(Grid().Col_Width(col), usable * percent[col] / 100) << "column " << col;
        }
    };
    expect_rule();
    // The design width scaled to the client width, truncated.
    EXPECT_EQ(Grid().width(), 673 * form->centralWidget()->width() / 697);

    form->resize(1100, 700);
    EXPECT_GT(Grid().width(), 1000);
    expect_rule();

    // The window goes no smaller than half the design, where the controls
    // are still readable; the rule holds there too.
    form->resize(20, 100);
    EXPECT_EQ(form->width(), 697 / 2);
    EXPECT_EQ(form->height(), 439 / 2 + form->menuBar()->sizeHint().height());
    EXPECT_GT(Grid().width(), 300);
    expect_rule();
}

TEST_F(Main_Form_Test, ResizingBackToTheReferenceSizeRestoresTheDesign) {
    Start();
    const int menu = form->menuBar()->height();
    form->resize(1000, 300);
    form->resize(697, 439 + menu);
    ASSERT_EQ(form->centralWidget()->size(), QSize(697, 439));

    EXPECT_EQ(form->All_GroupBox->geometry(), QRect(4, 2, 689, 435));
    EXPECT_EQ(Grid().geometry(), QRect(8, 22, 673, 229));
    EXPECT_EQ(form->Sort_By_Column_RadioGroup->geometry(), QRect(8, 252, 673, 41));
    EXPECT_EQ(form->Days_Threshold_SpinEdit->geometry(), QRect(356, 296, 73, 27));
    EXPECT_EQ(form->Ascending_Descending_RadioGroup->geometry(), QRect(576, 294, 105, 77));
    EXPECT_EQ(form->Exit_BitBtn->geometry(), QRect(572, 398, 110, 33));
    EXPECT_EQ(form->Exit_BitBtn->font().pointSize(), 12);
    EXPECT_TRUE(form->Exit_BitBtn->font().bold());
}

TEST_F(Main_Form_Test, CloseSavesTheList) {
    Write_Data({{"Solo", 2001, 5, 4, "Birthday", ""}});
    Start();
    form->Create_Test_Demo_Data_Menu_OptionClick();
    ASSERT_EQ(form->List().Event_Count(), 15);

    EXPECT_TRUE(form->close());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(test::Read_Bytes(Data()), Serialise_Data_File(form->List()));
}

TEST_F(Main_Form_Test, FailedSaveAsksBeforeClosingWithoutSaving) {
    Start();
    form->Create_Test_Demo_Data_Menu_OptionClick();
    test::Failing_Saves failing;

    messages.answers = {Message_Answer::Ok, Message_Answer::No};
    EXPECT_FALSE(form->close());
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Error);
    EXPECT_EQ(messages.shown[0].Caption, "Tessaly v1.0f");
    EXPECT_TRUE(messages.shown[0].Text.contains("Tessaly.dat"))
        << messages.shown[0].Text.toStdString();
    EXPECT_EQ(messages.shown[1].Kind, Message_Kind::Confirmation);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->List().Event_Count(), 14);

    messages.answers = {Message_Answer::Ok, Message_Answer::Yes};
    EXPECT_TRUE(form->close());
    EXPECT_EQ(messages.shown.size(), 4u);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(std::filesystem::exists(Data()));
}

TEST_F(Main_Form_Test, UnreadableDataFileIsReportedAndStartUpGoesOn) {
    test::Write_Bytes(Data(), "V1.1\r\n1\r\nName\r\nnot a date\r\nType\r\n");
    Start();

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Error);
    EXPECT_TRUE(messages.shown[0].Text.contains("Invalid numeric input"));
    // The window shows at once what the date timer would show later.
    EXPECT_EQ(form->Refresh_Count(), 1);
    EXPECT_EQ(form->Refreshed_On(), Day_Number_Of(2026, 12, 7));
    EXPECT_TRUE(form->Change_Of_Date_Check_Timer->isActive());
    EXPECT_FALSE(form->windowState() & Qt::WindowMinimized);
}

TEST_F(Main_Form_Test, AlwaysOnTopTogglesTheStaysOnTopHint) {
    Start();
    const QPoint position = form->pos();
    EXPECT_FALSE(form->Always_On_Top_Option->isChecked());
    EXPECT_FALSE(form->windowFlags() & Qt::WindowStaysOnTopHint);

    form->Always_On_Top_Option->trigger();
    EXPECT_TRUE(form->Always_On_Top_Option->isChecked());
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(form->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->pos(), position);

    form->Always_On_Top_Option->trigger();
    EXPECT_FALSE(form->Always_On_Top_Option->isChecked());
    EXPECT_FALSE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(form->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
}

TEST_F(Main_Form_Test, StartUpNamesTheProgramInTheAboutBoxWhichHelpAboutShowsModally) {
    Start();
    TAboutBox& box = *form->AboutBox;
    EXPECT_EQ(box.parent(), form.get());
    EXPECT_EQ(box.windowTitle(), "About Tessaly v1.0f ...");
    EXPECT_EQ(box.Product_Name_Label->text(), "Tessaly v1.0f");
    EXPECT_TRUE(box.Author_and_Date_Label->text().endsWith(", September 2007"));
    // The year of the program's clock, not of the machine's.
    EXPECT_TRUE(box.Copyright_Label->text().endsWith("2026"));
    EXPECT_FALSE(box.isVisible());

    bool shown_modally = false;
    QTimer::singleShot(0, [&] {
        shown_modally =
            QApplication::activeModalWidget() == &box && box.Quote_Change_Timer->isActive();
        QTest::keyClick(&box, Qt::Key_Escape);
    });
    form->AboutOption->trigger();
    EXPECT_TRUE(shown_modally);
    EXPECT_FALSE(box.isVisible());
    EXPECT_FALSE(box.Quote_Change_Timer->isActive());
}

// Shows each message as a real one does, with an event loop of its own that
// runs until the program exits (or a button, here the time-out, ends it).
class Modal_Message_Boxes final : public Message_Boxes {
public:
    Message_Answer Show(QWidget*, Message_Kind, const QString&, const QString& text) override {
        shown.push_back(text);
        if (On_Show) {
            On_Show();
        }
        QEventLoop loop;
        QTimer::singleShot(5000, &loop, [&loop] { loop.exit(1); });
        // 0 when the program's exit ended it, -1 when it never ran.
        loop_results.push_back(loop.exec());
        return Message_Answer::No;
    }

    std::function<void()> On_Show;
    std::vector<QString> shown;
    std::vector<int> loop_results;
};

// Log-out sends SIGTERM; a start-up message must not swallow it.
TEST_F(Main_Form_Test, TerminationSavesAndQuitsAlsoWhenItComesDuringAStartUpMessage) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows ends a program by a session message, not a signal it can catch";
#endif
    Write_Data({{"Nora Vale", 1986, 12, 8, "Birthday", ""}});
    // A log-in entry for a moved program: start-up asks whether to correct it.
    auto_start.Entries["tessaly"] = "/elsewhere/tessaly";
    Modal_Message_Boxes modal;
    modal.On_Show = [] { ::raise(SIGTERM); };
    Termination_Signals termination;
    form = std::make_unique<TMainForm1>(
        Fake_Desktop::Services(clock, modal, dialogs, dir.File("tessaly")));
    QObject::connect(&termination, &Termination_Signals::Termination_Requested, form.get(),
                     &TMainForm1::Quit_For_Termination);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });

    form->show();
    // The request closed the question unanswered, and start-up went on to
    // load the list.
    ASSERT_EQ(modal.loop_results, std::vector<int>{0});
    EXPECT_EQ(auto_start.Entries["tessaly"], "/elsewhere/tessaly");
    EXPECT_EQ(form->List().Event_Count(), 1);
    EXPECT_FALSE(std::filesystem::exists(form->Settings_File()));
    guard.start(10000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(std::filesystem::exists(form->Settings_File()));

    // Once running, the request is carried out at once.
    std::filesystem::remove(form->Settings_File());
    QTimer::singleShot(0, [] { ::raise(SIGTERM); });
    guard.start(10000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(std::filesystem::exists(form->Settings_File()));
    EXPECT_EQ(modal.shown.size(), 1u);
}

// taskkill closes every window of the program, a log-off asks the session
// first: during a start-up message either must end the program, saved.
TEST_F(Main_Form_Test, CloseRequestDuringAStartUpMessageEndsTheProgramSaved) {
    // Both arrive as events while the question waits.
    const struct {
        const char* name;
        std::function<void(TMainForm1&)> request;
        bool closes_window;
    } cases[] = {
        {"window system close",
         [](TMainForm1& window) {
             QCoreApplication::postEvent(window.windowHandle(), new QCloseEvent);
         },
         true},
        {"session end",
         [](TMainForm1& window) {
             QTimer::singleShot(0, &window, [&window] { window.Save_For_Session_End(); });
         },
         false},
    };
    for (const auto& request : cases) {
        SCOPED_TRACE(request.name);
        Write_Data({{"Nora Vale", 1986, 12, 8, "Birthday", ""}});
        std::filesystem::remove(dir.File("Tessaly.ini"));
        // A log-in entry for a moved program: start-up asks whether to correct it.
        auto_start.Entries["tessaly"] = "/elsewhere/tessaly";
        Modal_Message_Boxes modal;
        form = std::make_unique<TMainForm1>(
            Fake_Desktop::Services(clock, modal, dialogs, dir.File("tessaly")));
        TMainForm1& window = *form;
        modal.On_Show = [&] { request.request(window); };
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });

        window.show();
        // The request ended the question unanswered; start-up went on to
        // load the list and saved nothing yet.
        EXPECT_EQ(modal.loop_results, std::vector<int>{0});
        EXPECT_EQ(auto_start.Entries["tessaly"], "/elsewhere/tessaly");
        EXPECT_EQ(window.List().Event_Count(), 1);
        EXPECT_FALSE(std::filesystem::exists(window.Settings_File()));
        guard.start(10000);
        EXPECT_EQ(QApplication::exec(), 0);
        if (request.closes_window) {
            EXPECT_FALSE(window.isVisible());
        }
        EXPECT_TRUE(std::filesystem::exists(window.Settings_File()));
        Event_List saved;
        Load_Data_From_File_ButtonClick(saved, Data());
        EXPECT_EQ(saved.Event_Count(), 1);
        EXPECT_EQ(modal.shown.size(), 1u);
        form.reset();
    }
}

// The report opened at start-up hides the window: a close of the window then
// must not bring it back when the report goes.
TEST_F(Main_Form_Test, CloseRequestWhileTheStartUpReportIsUpEndsTheProgramSaved) {
    Write_Data({{"Nora Vale", 1986, 12, 8, "Birthday", ""}});
    Write_Bytes(dir.File("Tessaly.ini"),
                "[Tessaly]\r\nAuto_Display_Coming_Events_Report_CheckBox=1\r\n");
    TMainForm1& window = Start();
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    bool report_was_up = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        TBirthday_And_Date_Report_Form* report = window.Birthday_And_Date_Report_Form.If_Made();
        if (report != nullptr && report->isVisible()) {
            report_was_up = true;
            poll.stop();
            QCoreApplication::postEvent(window.windowHandle(), new QCloseEvent);
        }
    });
    poll.start(10);
    guard.start(10000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(report_was_up);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(std::filesystem::exists(window.Settings_File()));
}

}  // namespace
