// The main window: construction, start-up, the timers, resizing and the
// close.
#include "ui/main/main_form.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QShowEvent>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <exception>

#include "core/data_file.h"
#include "core/program_identity.h"
#include "desktop/regional_date_format.h"
#include "report/report_window.h"
#include "ui/common/clock.h"
#include "ui/common/message_layout.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/add_modify_form.h"
#include "ui/main/button_glyphs.h"
#include "ui/main/calendar_sync.h"
#include "ui/main/font_followers.h"
#include "ui/main/main_form_messages.h"
#include "ui/main/window_scaling.h"
#include "widgets/button_keys.h"

namespace tessaly {

TMainForm1::TMainForm1(Main_Form_Services services, QWidget* parent)
    : QMainWindow(parent),
      services_(std::move(services)),
      short_date_(Make_Strftime_Formatter(services_.Region.Short_Date_Pattern())),
      data_file_(Data_File_Path(services_.Folders.Data_Folder)) {
    setObjectName(QStringLiteral("MainForm1"));
    Create_Controls();
    // However the window scales the note, "Start-Up" is never split.
    Label3->setText(Unbreakable_Hyphens_In_Rich_Text(Label3->text()));
    Create_Menu();
    Create_Find_Bar();
    Connect_Grid_Commands();
    Enter_Presses_Focused_Button(*this);
    // Only under X11 does a window manager frame the window after it is
    // shown; elsewhere the frame is known, or drawn by the window itself.
    frame_known_ = QGuiApplication::platformName() != QStringLiteral("xcb");
    placement_timer_ = new QTimer(this);
    placement_timer_->setInterval(25);
    connect(placement_timer_, &QTimer::timeout, this, &TMainForm1::Correct_Placement);
    Birthday_And_Date_Report_Form = Made_On_First_Use<TBirthday_And_Date_Report_Form>([this] {
        auto* report = new TBirthday_And_Date_Report_Form(this);
        report->Set_Messages(services_.Messages);
        Apply_Settings_To(*report);
        return report;
    });
    AboutBox = Made_On_First_Use<TAboutBox>([this] {
        auto* box =
            new TAboutBox(services_.Links, services_.Memory, services_.Executable_Path, this);
        Write_About_Identity(*box, services_.Time.Now().date().year());
        return box;
    });
    Add_Modify_Form = Made_On_First_Use<TAdd_Modify_Form>([this] {
        auto* dialog = new TAdd_Modify_Form(services_.Time, services_.Messages, short_date_, this);
        Apply_Settings_To(*dialog);
        return dialog;
    });
    Set_Up_Calendar_Sync();
    Set_Up_Backups();
}

TMainForm1::~TMainForm1() = default;

// ---------------------------------------------------------------------------
// Start-up

void TMainForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // A window coming back from the task bar is no start-up.
    if (!event->spontaneous()) {
        FormShow();
    }
    if (placement_pending_ && !placement_timer_->isActive()) {
        placement_tries_ = 0;
        placement_timer_->start();
    }
}

void TMainForm1::FormShow() {
    // Nothing half-built is to be seen while start-up runs. A window being
    // shown reaches the screen only after this returns, so only one already
    // there needs minimising; minimising and restoring one not yet there
    // would put it on the screen early.
    if (windowHandle() != nullptr && windowHandle()->isVisible()) {
        setWindowState(windowState() | Qt::WindowMinimized);
    }
    if (Application_Already_Started_Up_CheckBox->isChecked()) {
        return;
    }
    Application_Already_Started_Up_CheckBox->setChecked(true);
    starting_up_ = true;
    // Before the settings and the list are read.
    Copy_Old_Layout_Files_Once();

    Set_Up_Grid();
    Fill_Sort_By_Column_RadioGroup();

    // The client area fitted round the group box with equal margins is the
    // size the design's geometry belongs to.
    const QRect group = All_GroupBox->geometry();
    const QSize reference(2 * group.left() + group.width(), 2 * group.top() + group.height());
    resize(reference.width(), reference.height() + menuBar()->sizeHint().height());
    Record_Design_Layout(*Scaling_ListBox, reference, components_);
    // Smaller than half the design the controls would no longer be readable.
    setMinimumSize(reference.width() / 2, reference.height() / 2 + menuBar()->sizeHint().height());

    Apply_Settings(Read_Settings());
    Set_Program_Identity();
    if (settings_.Window_Maximized) {
        // Maximised only once the normal frame is in place, so that the
        // window comes back to it.
        if (placement_pending_) {
            maximise_after_placement_ = true;
        } else {
            setWindowState(windowState() | Qt::WindowMaximized);
        }
    }
    Always_On_Top_Option->setChecked(!Always_On_Top_Option->isChecked());
    Toggle_Always_On_Top();
    Check_Auto_Run_Entry();
    Create_Test_Demo_Data_Menu_Option->setVisible(false);

    Event_Array.Initialise_Entire_Array_ButtonClick();
    if (!Load_Data_From_File_ButtonClick()) {
        // A first start, or a file that could not be read: the status line
        // and the empty list are there at once, not at the date timer's
        // first tick.
        Refresh_StringGrid_From_Array_ButtonClick();
    }
    QCoreApplication::processEvents();

    if (Auto_Display_Coming_Events_Report_CheckBox->isChecked() && Event_Array.Event_Count() > 0) {
        // The window waits minimised; the report hides it and brings it back.
        setWindowState(windowState() | Qt::WindowMinimized);
        Hide_Mainform1_Timer->start();
    } else {
        Restore_Window();
        Apply_Startup_Show_Command();
    }
    Change_Of_Date_Check_Timer->start();
    Start_Calendar_Sync();
    starting_up_ = false;
    if (termination_pending_) {
        When_Loop_Runs([this] {
            Save_Before_Termination();
            QCoreApplication::exit(0);
        });
    } else if (close_pending_) {
        When_Loop_Runs([this] {
            // The window may still be hidden by a start-up message: its
            // close alone would end no event loop.
            if (close()) {
                QCoreApplication::exit(0);
            }
        });
    }
}

void TMainForm1::Set_Program_Identity() {
    // The title goes on the window only: as the application's display name Qt
    // would append it to every other window's caption too.
    const QString title = QString::fromUtf8(Program_Title);
    setWindowTitle(title);
    setToolTip(QString());
    if (TAboutBox* box = AboutBox.If_Made()) {
        Write_About_Identity(*box, services_.Time.Now().date().year());
    }
}

void TMainForm1::Restore_Window() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
}

// ---------------------------------------------------------------------------
// Timers

void TMainForm1::Change_Of_Date_Check_TimerTimer() {
    if (services_.Time.Today() != Last_Refresh_Date) {
        Refresh_StringGrid_From_Array_ButtonClick();
    }
}

void TMainForm1::Hide_Mainform1_TimerTimer() {
    Hide_Mainform1_Timer->stop();
    hide();
    Inform_Me_Now_BitBtnClick();
    // After "Exit Program" the window is closed: un-minimising it would map
    // it again on some platforms.
    if (isVisible()) {
        Restore_Window();
    }
}

// ---------------------------------------------------------------------------
// Resize and close

void TMainForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

QSize TMainForm1::Client_Size() const {
    return centralWidget()->size();
}

void TMainForm1::FormResize() {
    Scale_Controls_To_Window(*Scaling_ListBox, Client_Size(), components_);
    Scale_Font_Followers(*Scaling_ListBox, components_, Button_Glyph_Size);
    Set_Column_Widths();
}

void TMainForm1::closeEvent(QCloseEvent* event) {
    if (starting_up_) {
        // A close from the system (taskkill, the task bar) while a start-up
        // message is up: the list may not be loaded yet, and an exit before
        // the event loop runs would be lost. Exiting now ends the message
        // and makes later ones return at once; the close follows start-up.
        event->ignore();
        close_pending_ = true;
        QCoreApplication::exit(0);
        return;
    }
    bool can_close = true;
    FormCloseQuery(can_close);
    event->setAccepted(can_close);
    if (can_close) {
        Change_Of_Date_Check_Timer->stop();
        Hide_Mainform1_Timer->stop();
        // A sync near its end may finish its writes on the server; its
        // outcome no longer reaches the list, and the next sync meets them.
        Calendar_Syncer->Wait_For_End(std::chrono::seconds(5));
        // The report over the window would otherwise bring it back.
        if (TBirthday_And_Date_Report_Form* report = Birthday_And_Date_Report_Form.If_Made();
            report != nullptr && report->isVisible()) {
            closed_under_report_ = true;
            report->reject();
        }
    }
}

void TMainForm1::Quit_For_Termination() {
    if (starting_up_) {
        // The list may not be loaded yet, and an exit before the event loop
        // runs would be lost. Exiting now ends the message that is up and
        // makes later ones return at once, so that start-up ends soon.
        termination_pending_ = true;
        QCoreApplication::exit(0);
        return;
    }
    Save_Before_Termination();
    QCoreApplication::exit(0);
}

void TMainForm1::When_Loop_Runs(const std::function<void()>& action) {
    QMetaObject::invokeMethod(
        this,
        [this, action] {
            // Delivered by an explicit processEvents, not an event loop:
            // no loop has run since the exit, and the next one does.
            if (QThread::currentThread()->loopLevel() == 0) {
                When_Loop_Runs(action);
                return;
            }
            action();
        },
        Qt::QueuedConnection);
}

void TMainForm1::FormCloseQuery(bool& can_close) {
    bool settings_saved = true;
    bool data_saved = true;
    // A settings failure must not cost the user the list: the data file is
    // saved regardless.
    try {
        Save_Settings_To_INI_File();
    } catch (const std::exception& error) {
        Show_Error(services_.Messages, this, Failure_Text(error));
        settings_saved = false;
    }
    try {
        Save_Data_To_File_ButtonClick(true);
    } catch (const std::exception& error) {
        Show_Error(services_.Messages, this, Failure_Text(error));
        data_saved = false;
    }
    // Nobody is kept in a program that cannot save, and nothing is lost
    // without the user saying so.
    can_close =
        (settings_saved && data_saved) || Confirmed(services_.Messages, this,
                                                    data_saved ? Closing_Without_Settings_Question()
                                                               : Closing_Without_Saving_Question());
}

// ---------------------------------------------------------------------------
// Commands

void TMainForm1::Exit_BitBtnClick() {
    close();
}

void TMainForm1::ExitOptionClick() {
    close();
}

}  // namespace tessaly
