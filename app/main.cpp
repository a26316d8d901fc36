// tessaly: the desktop window.
#include <QApplication>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/short_date.h"
#include "desktop/desktop_services.h"
#include "ui/common/clock.h"
#include "ui/common/message_boxes.h"
#include "ui/main/main_form.h"

namespace {

bool Is_Set(const char* name) {
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
    if (!Display_Available()) {
        std::fputs(
            "Tessaly needs a graphical desktop (no display found); for the coming-events report "
            "in a terminal, run tessaly-report.\n",
            stderr);
        return 1;
    }
    QApplication app(argc, argv);
    // Dates are shown in the user's regional short date format.
    std::setlocale(LC_ALL, "");

    tessaly::System_Clock clock;
    tessaly::Qt_Message_Boxes messages;
    const auto desktop = tessaly::Make_Platform_Desktop_Services();
    tessaly::TMainForm1 MainForm1(tessaly::Main_Form_Services{
        clock, messages, *desktop,
        std::filesystem::path(QCoreApplication::applicationFilePath().toStdString()),
        tessaly::Make_Strftime_Formatter(tessaly::Locale_Short_Date_Pattern())});
    MainForm1.show();
    return QApplication::exec();
}
