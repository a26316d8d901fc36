// What the main window asks of the desktop: the log-in entry, the start-up
// show command, shortcuts and the Help menu's text files.
#include <QAction>

#include <string>
#include <system_error>

#include "desktop/auto_run.h"
#include "desktop/daily_notification_task.h"
#include "desktop/desktop_prompts.h"
#include "desktop/shortcuts.h"
#include "desktop/startup_show.h"
#include "desktop/text_editor.h"
#include "ui/common/message_boxes.h"
#include "ui/dialogs/about_box.h"
#include "ui/main/main_form.h"
#include "ui/main/main_form_messages.h"

namespace tessaly {

namespace {

// The desktop commands' messages as the window's message boxes.
class Window_Prompts final : public Desktop_Prompts {
public:
    Window_Prompts(Message_Boxes& messages, QWidget* parent)
        : messages_(messages), parent_(parent) {}

    void Error(const std::string& text) override {
        Show_Error(messages_, parent_, Message_Text(text));
    }
    void Information(const std::string& text) override {
        Show_Information(messages_, parent_, Message_Text(text));
    }
    bool Warning_Yes_No(const std::string& text) override {
        return Confirmed_Warning(messages_, parent_, Message_Text(text));
    }

private:
    Message_Boxes& messages_;
    QWidget* parent_;
};

}  // namespace

void TMainForm1::Check_Auto_Run_Entry() {
    Window_Prompts prompts(services_.Messages, this);
    Auto_Run auto_run(services_.Auto_Start, prompts, services_.Executable_Path);
    Auto_Run_at_Windows_Startup_Option->setChecked(auto_run.Check_Auto_Run_Entry());
}

void TMainForm1::Auto_Run_at_Windows_Startup_OptionClick() {
    // The menu ticks a checkable item before this runs; the entry decides.
    const bool ticked = !Auto_Run_at_Windows_Startup_Option->isChecked();
    Auto_Run_at_Windows_Startup_Option->setChecked(ticked);
    Window_Prompts prompts(services_.Messages, this);
    Auto_Run auto_run(services_.Auto_Start, prompts, services_.Executable_Path);
    if (ticked ? auto_run.Disable_Auto_Run() : auto_run.Enable_Auto_Run()) {
        Auto_Run_at_Windows_Startup_Option->setChecked(!ticked);
    }
}

void TMainForm1::Daily_Notification_OptionClick() {
    // The menu ticks the item before this runs; the task decides.
    const bool turn_on = Daily_Notification_Option->isChecked();
    Daily_Notification_Task& task = *services_.Daily_Task;
    const bool done = turn_on ? task.Add(services_.Executable_Path.parent_path()) : task.Remove();
    Daily_Notification_Option->setChecked(task.Query() == Daily_Notification_Task::State::Present ||
                                          (done && turn_on));
    if (!done) {
        Show_Error(services_.Messages, this,
                   QStringLiteral("The daily notification could not be turned %1: %2")
                       .arg(turn_on ? QStringLiteral("on") : QStringLiteral("off"),
                            QString::fromStdString(task.Failure())));
    }
}

void TMainForm1::Create_Shortcut_In(const char* folder_name, const char* sub_folder) {
    Window_Prompts prompts(services_.Messages, this);
    Shortcuts(services_.Shell, services_.File_System, prompts)
        .Create_Shortcut(services_.Executable_Path, folder_name, sub_folder);
}

void TMainForm1::Create_Shortcut_on_Desktop_OptionClick() {
    Create_Shortcut_In(Desktop_Folder_Name, "");
}

void TMainForm1::Create_Shortcut_on_Start_Menu_OptionClick() {
    Create_Shortcut_In(Start_Menu_Folder_Name, "");
}

void TMainForm1::Create_Shortcut_on_Start_Programs_Menu_OptionClick() {
    Create_Shortcut_In(Start_Menu_Folder_Name, Programs_Sub_Folder_Name);
}

void TMainForm1::Create_Shortcut_on_SendTo_Menu_OptionClick() {
    Create_Shortcut_In(Send_To_Folder_Name, "");
}

void TMainForm1::Delete_All_Shortcuts_OptionClick() {
    Window_Prompts prompts(services_.Messages, this);
    Shortcuts(services_.Shell, services_.File_System, prompts)
        .Delete_All_Shortcuts(services_.Executable_Path);
}

void TMainForm1::Apply_Startup_Show_Command() {
    const auto command = services_.Startup.Command();
    if (!command) {
        return;
    }
    Qt::WindowStates state = windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    switch (*command) {
        case Startup_Show_Command::Normal:
            break;
        case Startup_Show_Command::Minimised:
            state |= Qt::WindowMinimized;
            break;
        case Startup_Show_Command::Maximised:
            state |= Qt::WindowMaximized;
            break;
    }
    setWindowState(state);
}

void TMainForm1::AboutOptionClick() {
    AboutBox->exec();
}

std::filesystem::path TMainForm1::Readme_File() const {
    const std::string name = services_.Executable_Path.filename().string();
    return services_.Folders.Text_Folder / (name.substr(0, name.find('.')) + ".txt");
}

void TMainForm1::View_In_Notepad(const std::filesystem::path& file) {
    if (!services_.Editor.View_In_Notepad(file)) {
        Show_Information(services_.Messages, this, No_Editor_Notice());
    }
}

void TMainForm1::View_Readme_file_OptionClick() {
    // A missing readme is the editor's to report.
    View_In_Notepad(Readme_File());
}

void TMainForm1::View_Shareware_Catalog_OptionClick() {
    const std::filesystem::path catalog = services_.Folders.Text_Folder / "catalog.txt";
    std::error_code error;
    if (std::filesystem::exists(catalog, error)) {
        View_In_Notepad(catalog);
        return;
    }
    Show_Information(services_.Messages, this, Catalogue_Missing_Notice());
}

}  // namespace tessaly
