// The window's list refresh on 500 entries: recompute, sort from reversed
// order, refill the grid. Runs offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <algorithm>
#include <filesystem>

#include "bench_data.h"
#include "desktop/fake/fake_auto_start.h"
#include "desktop/fake/fake_file_routines.h"
#include "desktop/fake/fake_link_opener.h"
#include "desktop/fake/fake_memory_status.h"
#include "desktop/fake/fake_regional_date_format.h"
#include "desktop/fake/fake_shell_folders.h"
#include "desktop/fake/fake_startup_show.h"
#include "desktop/fake/fake_text_editor.h"
#include "ui/common/clock.h"
#include "ui/common/file_dialogs.h"
#include "ui/common/message_boxes.h"
#include "ui/main/main_form.h"

namespace {

class Silent_Message_Boxes final : public tessaly::Message_Boxes {
public:
    tessaly::Message_Answer Show(QWidget*, tessaly::Message_Kind, const QString&,
                                 const QString&) override {
        return tessaly::Message_Answer::No;
    }
};

void BM_Window_Refresh_500(benchmark::State& state) {
    tessaly::Fake_Clock clock(QDateTime(QDate(2026, 12, 7), QTime(9, 0)));
    Silent_Message_Boxes messages;
    tessaly::Qt_File_Dialogs dialogs;
    tessaly::Fake_Auto_Start_Entries auto_start;
    tessaly::Fake_Shell_Folders shell;
    tessaly::Fake_Startup_Show startup;
    tessaly::Fake_File_Routines file_system;
    tessaly::Fake_Text_Editor editor;
    tessaly::Fake_Regional_Date_Format region;  // "%d/%m/%Y"
    tessaly::Fake_Link_Opener links;
    tessaly::Fake_Memory_Status memory;
    tessaly::TMainForm1 window(tessaly::Main_Form_Services{
        .Time = clock,
        .Messages = messages,
        .Dialogs = dialogs,
        .Auto_Start = auto_start,
        .Shell = shell,
        .Startup = startup,
        .File_System = file_system,
        .Editor = editor,
        .Region = region,
        .Links = links,
        .Memory = memory,
        .Executable_Path = std::filesystem::temp_directory_path() / "no-such-tessaly",
    });
    window.show();
    QApplication::processEvents();
    tessaly::bench::Fill_Bench_List(window.List());
    for (auto _ : state) {
        state.PauseTiming();
        auto entries = window.List().Entries();
        std::sort(entries.begin(), entries.end(),
                  [](const auto& a, const auto& b) { return a.Name > b.Name; });
        state.ResumeTiming();
        window.Refresh_StringGrid_From_Array_ButtonClick();
    }
}
BENCHMARK(BM_Window_Refresh_500)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
