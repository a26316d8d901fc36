// The window's list refresh on 500 entries: recompute, sort from reversed
// order, refill the grid. Runs offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <algorithm>
#include <filesystem>

#include "bench_data.h"
#include "test_support/fake_desktop.h"
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
    // Dates as day, month, four-digit year.
    tessaly::test::Fake_Desktop desktop;
    tessaly::TMainForm1 window(desktop.Services(
        clock, messages, dialogs, std::filesystem::temp_directory_path() / "no-such-tessaly"));
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
