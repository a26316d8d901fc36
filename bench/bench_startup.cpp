// Times the desktop program's start-up as a user meets it: from process start
// to the main window's first paint, with a full data file. Needs a
// display (run it under xvfb-run).

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_data.h"
#include "core/data_file.h"
#include "desktop/platform_services.h"
#include "ui/common/clock.h"
#include "ui/common/file_dialogs.h"
#include "ui/common/message_boxes.h"
#include "ui/main/main_form.h"
#include "ui/main/platform_window_services.h"

namespace {

// Ends the process at the window's first paint.
class First_Paint_Watcher : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool painted_ = false;
};

int Probe(int argc, char** argv, const std::filesystem::path& folder) {
    QApplication app(argc, argv);
    tessaly::System_Clock clock;
    tessaly::Qt_Message_Boxes messages;
    tessaly::Qt_File_Dialogs dialogs;
    const tessaly::Platform_Services platform = tessaly::Make_Platform_Services();
    tessaly::System_Calendar_Connection calendar_server;
    tessaly::Qt_Calendar_Prompts calendar_questions(calendar_server, *platform.Secrets, {});
    tessaly::TMainForm1 window(tessaly::Platform_Window_Services(
        platform, clock, messages, dialogs, calendar_server, calendar_questions, folder / "tessaly",
        tessaly::Portable_Folders(folder)));
    First_Paint_Watcher watcher;
    window.installEventFilter(&watcher);
    window.show();
    QApplication::exec();
    // The data file is not the point here; skip the save at close.
    std::_Exit(window.List().Event_Count() == tessaly::Event_Array_Size - 1 ? 0 : 3);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--probe") {
        return Probe(argc, argv, argv[2]);
    }
    const int runs = argc > 1 ? std::atoi(argv[1]) : 20;
    if (runs < 1) {
        std::fprintf(stderr, "usage: %s [RUNS]\n", argv[0]);
        return 64;
    }
    const std::filesystem::path folder = tessaly::bench::Make_Scratch_Folder("tessaly-startup");
    tessaly::Event_List list;
    tessaly::bench::Fill_Bench_List(list);
    // A file of 500 entries makes start-up show the capacity message first;
    // one fewer times the window itself.
    list.Set_Event_Count(tessaly::Event_Array_Size - 1);
    tessaly::Save_Data_To_File_ButtonClick(list, tessaly::Data_File_Path(folder));

    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    std::vector<double> milliseconds;
    int result = 0;
    for (int i = 0; i < runs && result == 0; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const int status = tessaly::bench::Run_And_Wait(self, {"--probe", folder.string()}, false);
        const auto end = std::chrono::steady_clock::now();
        if (status != 0) {
            std::fprintf(stderr, "start-up probe failed with %d (is there a display?)\n", status);
            result = 1;
        }
        milliseconds.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::filesystem::remove_all(folder);
    if (result != 0) {
        return result;
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf(
        "tessaly start-up to first paint, 499 entries, %d runs: min %.0f ms, median %.0f "
        "ms, max %.0f ms\n",
        runs, milliseconds.front(), milliseconds[milliseconds.size() / 2], milliseconds.back());
    return 0;
}
