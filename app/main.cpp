// tessaly: the desktop window.
#include <QApplication>
#include <QSessionManager>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/running_mark.h"
#include "core/atomic_file.h"
#include "core/data_file.h"
#include "core/platform/process.h"
#include "core/profile_file.h"
#include "core/program_folders.h"
#include "core/program_identity.h"
#include "desktop/platform_services.h"
#include "ui/common/clock.h"
#include "ui/common/file_dialogs.h"
#include "ui/common/message_boxes.h"
#include "ui/common/program_icon.h"
#include "ui/common/qt_path.h"
#include "ui/common/readable_indicators.h"
#include "ui/common/single_instance.h"
#include "ui/common/termination_signals.h"
#include "ui/main/main_form.h"
#include "ui/main/platform_window_services.h"
#include "widgets/window_system.h"

namespace {

[[maybe_unused]] bool Is_Set(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Without a display the toolkit would stop with a message of its own that
// names none of the ways on; tell the user before it gets the chance.
bool Display_Available() {
#if defined(__unix__) && !defined(__APPLE__)
    if (const char* platform = std::getenv("QT_QPA_PLATFORM"); platform != nullptr) {
        const std::string name(platform);
        // Platforms that draw without a desktop session.
        if (name.rfind("offscreen", 0) == 0 || name.rfind("minimal", 0) == 0 ||
            name.rfind("vnc", 0) == 0 || name.rfind("linuxfb", 0) == 0 ||
            name.rfind("eglfs", 0) == 0) {
            return true;
        }
    }
    return Is_Set("DISPLAY") || Is_Set("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    // First, so that an installer started now finds the program running.
    tessaly::Mark_Program_Running();
    // Before the calendar password is typed, read or kept. Not undumpable
    // as the terminal tool is: the desktop's portals would refuse the window.
    tessaly::Keep_Out_Of_Core_Dumps();
    if (!Display_Available()) {
        std::fputs(
            "Tessaly needs a graphical desktop (no display found); for the coming-events report "
            "in a terminal, run tessaly-report.\n",
            stderr);
        return 1;
    }
    QApplication app(argc, argv);
    // Dark desktop themes draw check boxes and radio buttons too faintly.
    tessaly::Use_Readable_Indicators();
    // The desktop matches the windows to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(tessaly::Application_Id));
    // Dates are shown in the user's regional short date format.
    std::setlocale(LC_ALL, "");

    tessaly::Qt_Message_Boxes messages;
    // From the system as bytes: Qt's own path of the program decodes a folder
    // name that is not UTF-8 into one that does not exist.
    const std::filesystem::path executable = tessaly::Executable_Path(argv[0]);
    // Beside the executable, or in the home folder once installed.
    const tessaly::Program_Folders folders = tessaly::Locate_Program_Folders(executable);
    if (folders.Installed) {
        if (const auto failure = tessaly::Create_Program_Folders(folders)) {
            QApplication::setWindowIcon(tessaly::Program_Icon());
            // The window still shows the list; saving will say why it cannot.
            messages.Show(nullptr, tessaly::Message_Kind::Error,
                          QString::fromUtf8(tessaly::Program_Title),
                          tessaly::Message_Text(tessaly::Folder_Creation_Message(*failure)));
        }
    }
    const std::filesystem::path data_file = tessaly::Data_File_Path(folders.Data_Folder);

    // Two windows on one data file would each save their own list on close.
    tessaly::Single_Instance instance;
    // The desktop's token for this start lets the running window come forward.
    const QString token = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    qunsetenv("XDG_ACTIVATION_TOKEN");
    const tessaly::Acquire_Result owner = instance.Acquire(data_file, token);
    switch (owner.Outcome) {
        case tessaly::Instance_Outcome::Other_Instance_Activated:
            // Without a token a Wayland compositor keeps the running window
            // where it is, minimised perhaps: say where the program is.
            if (tessaly::Compositor_Places_Windows(QGuiApplication::platformName()) &&
                !tessaly::Is_Activation_Token(token)) {
                QApplication::setWindowIcon(tessaly::Program_Icon());
                messages.Show(nullptr, tessaly::Message_Kind::Information,
                              QString::fromUtf8(tessaly::Program_Title),
                              tessaly::Message_Text(tessaly::Already_Running_Message(data_file)));
            }
            return 0;
        case tessaly::Instance_Outcome::Other_Instance_Unreachable:
            QApplication::setWindowIcon(tessaly::Program_Icon());
            messages.Show(nullptr, tessaly::Message_Kind::Information,
                          QString::fromUtf8(tessaly::Program_Title),
                          tessaly::Message_Text(tessaly::Already_Running_Message(data_file)));
            return 1;
        case tessaly::Instance_Outcome::Acquired:
            // Only the lock's holder may clear what killed saves left behind.
            tessaly::Remove_Stale_Temporaries(data_file);
            tessaly::Remove_Stale_Temporaries(tessaly::Settings_File_Path(folders.Settings_Folder));
            break;
        case tessaly::Instance_Outcome::Lock_Unavailable:
            // Another window may be saving: its temporaries are left alone.
            std::fprintf(stderr, "Tessaly: running without the data file lock: %s\n",
                         owner.Reason.toLocal8Bit().constData());
            break;
    }

    tessaly::System_Clock clock;
    tessaly::Qt_File_Dialogs dialogs;
    const tessaly::Platform_Services platform = tessaly::Make_Platform_Services();
    tessaly::System_Calendar_Connection calendar_server;
    tessaly::Qt_Calendar_Prompts calendar_questions(
        calendar_server, *platform.Secrets,
        tessaly::Make_Strftime_Formatter(platform.Region->Short_Date_Pattern()));
    tessaly::TMainForm1 MainForm1(
        tessaly::Platform_Window_Services(platform, clock, messages, dialogs, calendar_server,
                                          calendar_questions, executable, folders));
    QObject::connect(&instance, &tessaly::Single_Instance::Activation_Requested, &MainForm1,
                     [&MainForm1](const QString& activation_token) {
                         tessaly::Bring_To_Front(MainForm1, activation_token);
                     });
    // Log-out and shutdown end the program by a signal, or ask the session
    // first: the list is saved either way.
    tessaly::Termination_Signals termination;
    QObject::connect(&termination, &tessaly::Termination_Signals::Termination_Requested, &MainForm1,
                     &tessaly::TMainForm1::Quit_For_Termination);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &MainForm1,
                     [&MainForm1](QSessionManager&) { MainForm1.Save_For_Session_End(); });
    tessaly::Set_Program_Icon_Once_Shown(MainForm1);
    MainForm1.show();
    return QApplication::exec();
}
