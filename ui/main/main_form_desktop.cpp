// What the main window asks of the desktop: the log-in entry, the start-up
// show command, shortcuts and the Help menu's text files.
#include <QAction>

#include <string>
#include <system_error>

#include "desktop/auto_start.h"
#include "desktop/startup_show.h"
#include "desktop/text_editor.h"
#include "ui/main/main_form.h"
#include "ui/main/main_form_messages.h"

namespace tessaly {

void TMainForm1::Check_Auto_Run_Entry() {
    const std::string program_name = services_.Executable_Path.stem().string();
    Auto_Run_at_Windows_Startup_Option->setChecked(
        services_.Auto_Start.Read_Entry(program_name).has_value());
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

// Commands that arrive with the desktop integration and the About box; their
// menu items stay disabled until then.
void TMainForm1::Auto_Run_at_Windows_Startup_OptionClick() {}
void TMainForm1::Create_Shortcut_on_Desktop_OptionClick() {}
void TMainForm1::Create_Shortcut_on_Start_Menu_OptionClick() {}
void TMainForm1::Create_Shortcut_on_Start_Programs_Menu_OptionClick() {}
void TMainForm1::Create_Shortcut_on_SendTo_Menu_OptionClick() {}
void TMainForm1::Delete_All_Shortcuts_OptionClick() {}
void TMainForm1::AboutOptionClick() {}

std::filesystem::path TMainForm1::Readme_File() const {
    const std::string name = services_.Executable_Path.filename().string();
    return services_.Executable_Path.parent_path() / (name.substr(0, name.find('.')) + ".txt");
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
    const std::filesystem::path catalog = services_.Executable_Path.parent_path() / "catalog.txt";
    std::error_code error;
    if (std::filesystem::exists(catalog, error)) {
        View_In_Notepad(catalog);
        return;
    }
    Show_Information(services_.Messages, this, Catalogue_Missing_Notice());
}

}  // namespace tessaly
