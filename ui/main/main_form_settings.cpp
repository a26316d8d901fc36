// The main window's settings file, Always On Top and Restore Factory
// Defaults.
#include <QAction>
#include <QCheckBox>
#include <QSpinBox>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <exception>

#include "core/errors.h"
#include "core/profile_file.h"
#include "desktop/file_routines.h"
#include "report/report_window.h"
#include "ui/common/clock.h"
#include "ui/common/text.h"
#include "ui/dialogs/add_modify_form.h"
#include "ui/main/main_form.h"
#include "ui/main/main_form_messages.h"
#include "ui/main/radio_group.h"
#include "ui/main/window_placement.h"

namespace tessaly {

void TMainForm1::Apply_Settings(const Main_Settings& settings) {
    settings_ = settings;
    Place_Window(settings);
    Always_On_Top_Option->setChecked(settings.Always_On_Top);
    Auto_Run_at_Windows_Startup_Option->setChecked(settings.Auto_Run_At_Windows_Startup);
    Sort_By_Column_RadioGroup->Set_Item_Index(settings.Sort_Column);
    Ascending_Descending_RadioGroup->Set_Item_Index(settings.Sort_Order);
    Days_Threshold_SpinEdit->setValue(settings.Days_Threshold);
    // The date the dialog opens on is today's as of now, whenever it is made.
    settings_.Month_Calendar_Date = settings.Month_Calendar_Date.value_or(services_.Time.Today());
    Auto_Display_Coming_Events_Report_CheckBox->setChecked(
        settings.Auto_Display_Coming_Events_Report);
    if (TAdd_Modify_Form* dialog = Add_Modify_Form.If_Made()) {
        Apply_Settings_To(*dialog);
    }
    if (TBirthday_And_Date_Report_Form* report = Birthday_And_Date_Report_Form.If_Made()) {
        Apply_Settings_To(*report);
    }
}

void TMainForm1::Apply_Settings_To(TAdd_Modify_Form& dialog) const {
    dialog.Set_Name(From_File_Text(settings_.Name_Edit));
    dialog.Set_Calendar_Date(settings_.Month_Calendar_Date.value_or(services_.Time.Today()));
    dialog.Set_Event_Type(From_File_Text(settings_.Event_Type));
}

void TMainForm1::Apply_Settings_To(TBirthday_And_Date_Report_Form& report) const {
    report.Set_Position(settings_.Report_Top, settings_.Report_Left);
    report.Set_Window_Size(settings_.Report_Width, settings_.Report_Height);
}

Main_Settings TMainForm1::Read_Settings() {
    try {
        return Read_Main_Settings(Profile_File::Load(Settings_File()), services_.Time.Today());
    } catch (const std::exception& error) {
        Show_Error(services_.Messages, this, Failure_Text(error));
        return Main_Settings{};
    }
}

std::filesystem::path TMainForm1::Settings_File() const {
    return Settings_File_Path(services_.Folders.Settings_Folder);
}

void TMainForm1::Toggle_Always_On_Top() {
    const bool on_top = !Always_On_Top_Option->isChecked();
    Always_On_Top_Option->setChecked(on_top);
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on_top);
    if (QWindow* window = windowHandle()) {
        // Straight to the existing window: re-creating it would hide it, move
        // it and take the focus.
        overrideWindowFlags(flags);
        window->setFlags(flags);
    } else {
        setWindowFlags(flags);
    }
}

Main_Settings TMainForm1::Current_Settings() const {
    Main_Settings settings;
    // A maximised window stores the bounds it comes back to; reading them
    // spares restoring a window whose close the user may still refuse. The
    // stored bounds are the outer frame's.
    settings.Window_Maximized = isMaximized() || maximise_after_placement_;
    const QRect normal = isMaximized() ? normalGeometry() : geometry();
    QRect frame = normal.marginsAdded(frame_margins_);
    // Fitted onto the screen but not moved since: the stored place stays,
    // for the screen it was meant for.
    if (placement_pending_ || frame == placed_frame_) {
        frame = stored_frame_;
    }
    settings.Window_Top = frame.top();
    settings.Window_Left = frame.left();
    settings.Window_Width = frame.width();
    settings.Window_Height = frame.height();
    settings.Always_On_Top = Always_On_Top_Option->isChecked();
    settings.Auto_Run_At_Windows_Startup = Auto_Run_at_Windows_Startup_Option->isChecked();
    bool is_number = false;
    const int days = Days_Threshold_SpinEdit->cleanText().toInt(&is_number);
    settings.Days_Threshold = is_number ? days : 1;
    settings.Sort_Column = Sort_By_Column_RadioGroup->Item_Index();
    settings.Sort_Order = Ascending_Descending_RadioGroup->Item_Index();
    // A dialog never opened still holds what it was given, as it would if
    // it had been made.
    if (const TAdd_Modify_Form* dialog = Add_Modify_Form.If_Made()) {
        settings.Name_Edit = To_File_Text(dialog->Name());
        settings.Month_Calendar_Date = dialog->Calendar_Date();
        settings.Event_Type = To_File_Text(dialog->Event_Type());
    } else {
        settings.Name_Edit = settings_.Name_Edit;
        settings.Month_Calendar_Date = settings_.Month_Calendar_Date;
        settings.Event_Type = settings_.Event_Type;
    }
    settings.Auto_Display_Coming_Events_Report =
        Auto_Display_Coming_Events_Report_CheckBox->isChecked();
    if (const TBirthday_And_Date_Report_Form* report = Birthday_And_Date_Report_Form.If_Made()) {
        settings.Report_Top = report->Top();
        settings.Report_Left = report->Left();
        settings.Report_Width = report->Window_Width();
        settings.Report_Height = report->Window_Height();
    } else {
        settings.Report_Top = settings_.Report_Top;
        settings.Report_Left = settings_.Report_Left;
        settings.Report_Width = settings_.Report_Width;
        settings.Report_Height = settings_.Report_Height;
    }
    return settings;
}

void TMainForm1::Place_Window(const Main_Settings& settings) {
    stored_frame_ = QRect(settings.Window_Left, settings.Window_Top, settings.Window_Width,
                          settings.Window_Height);
    // Known from the start where no window manager frames the window, and
    // once it has.
    if (const QWindow* window = windowHandle();
        window != nullptr && !window->frameMargins().isNull()) {
        frame_margins_ = window->frameMargins();
        frame_known_ = true;
    }
    placed_frame_ = Fit_Onto_Screens(stored_frame_, Available_Screen_Areas(),
                                     minimumSize().grownBy(frame_margins_));
    setGeometry(placed_frame_.marginsRemoved(frame_margins_));
    placement_pending_ = !frame_known_;
}

void TMainForm1::Correct_Placement() {
    // Long enough for a window manager to frame the window; one that draws
    // no frame leaves the margins empty.
    constexpr int Most_Tries = 40;
    QWindow* window = windowHandle();
    if (!placement_pending_ || window == nullptr || !isVisible()) {
        placement_timer_->stop();
        return;
    }
    const QMargins margins = window->frameMargins();
    if (margins.isNull() && ++placement_tries_ < Most_Tries) {
        return;
    }
    placement_timer_->stop();
    placement_pending_ = false;
    frame_known_ = true;
    frame_margins_ = margins;
    if (!isMaximized() && !isFullScreen()) {
        setGeometry(placed_frame_.marginsRemoved(margins));
    }
    if (maximise_after_placement_) {
        maximise_after_placement_ = false;
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

void TMainForm1::Save_Settings_To_INI_File() {
    const std::filesystem::path file = Settings_File();
    try {
        Profile_File profile = Profile_File::Load(file);
        // Other programs read the settings through the system's profile
        // functions, names and all: a new or ASCII file takes the encoding in
        // which they read every letter; one with other bytes keeps its own.
        const Profile_Encoding wanted = New_Profile_Encoding();
        if (profile.Encoding() == Profile_Encoding::Eight_Bit && wanted != profile.Encoding() &&
            std::ranges::all_of(profile.Content(), [](char byte) {
                return static_cast<unsigned char>(byte) < 0x80;
            })) {
            profile = Profile_File::Of_Ascii(profile.Content(), wanted);
        }
        Write_Main_Settings(profile, Current_Settings(), services_.Time.Today());
        profile.Save(file);
    } catch (const File_Error&) {
        throw File_Error("Unable to write to " + file.string());
    }
}

void TMainForm1::Always_On_Top_OptionClick() {
    // The menu ticks a checkable item before this runs; the toggle decides.
    Always_On_Top_Option->setChecked(!Always_On_Top_Option->isChecked());
    Toggle_Always_On_Top();
}

void TMainForm1::Restore_Factory_Defaults_OptionClick() {
    if (!Confirmed_Warning(services_.Messages, this, Restore_Factory_Defaults_Question())) {
        return;
    }
    services_.File_System.Delete_File_Safely(Settings_File());
    // Deleting the file alone would change nothing: the close writes the
    // running values back. The defaults take effect at once instead.
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
    // The Auto-Run mark shows the log-in entry, which the file never held.
    const bool auto_run = Auto_Run_at_Windows_Startup_Option->isChecked();
    Apply_Settings(Main_Settings{});
    Auto_Run_at_Windows_Startup_Option->setChecked(auto_run);
    Always_On_Top_Option->setChecked(!Always_On_Top_Option->isChecked());
    Toggle_Always_On_Top();
    Sort_Data_BitBtnClick();
    // The show handling minimises a visible window; the user is left with a
    // restored one.
    FormShow();
    Restore_Window();
}

}  // namespace tessaly
