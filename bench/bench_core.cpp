#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "bench_data.h"
#include "core/atomic_file.h"
#include "core/data_file.h"
#include "core/dates.h"
#include "core/event_list.h"
#include "core/import.h"
#include "core/short_date.h"
#include "core/sorting.h"
#include "exchange/csv_exchange.h"
#include "exchange/vcard_import.h"
#include "report/report_builder.h"

namespace tessaly::bench {
namespace {

// A folder of its own for the files the benchmarks write, removed at the end.
class Scratch_Folder {
public:
    Scratch_Folder() : path_(Make_Scratch_Folder("tessaly-bench")) {}
    ~Scratch_Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    Scratch_Folder(const Scratch_Folder&) = delete;
    Scratch_Folder& operator=(const Scratch_Folder&) = delete;

    std::filesystem::path File(const char* name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

void BM_Load_500(benchmark::State& state) {
    Scratch_Folder folder;
    const std::filesystem::path file = folder.File("Tessaly.dat");
    Event_List list;
    Fill_Bench_List(list);
    Save_Data_To_File_ButtonClick(list, file);
    for (auto _ : state) {
        Load_Data_From_File_ButtonClick(list, file);
        benchmark::DoNotOptimize(list.Event_Count());
    }
}
BENCHMARK(BM_Load_500)->Unit(benchmark::kMicrosecond);

// The atomic save: temporary file, flush to disk, rename.
void BM_Save_500(benchmark::State& state) {
    Scratch_Folder folder;
    const std::filesystem::path file = folder.File("Tessaly.dat");
    Event_List list;
    Fill_Bench_List(list);
    for (auto _ : state) {
        Save_Data_To_File_ButtonClick(list, file);
    }
}
BENCHMARK(BM_Save_500)->Unit(benchmark::kMicrosecond);

// The refresh computation: dates, then a sort by name that has to move every
// entry, because each round starts from the reversed order. Restoring that
// order is outside the timing.
void BM_Refresh_500(benchmark::State& state) {
    Event_List sorted;
    Fill_Bench_List(sorted);
    Sort_Data_BitBtnClick(sorted, Sort_By_Name, Sort_Ascending);
    Event_List reversed;
    for (int i = sorted.Event_Count(); i >= 1; --i) {
        reversed.Append() = sorted.At(i);
    }
    Event_List list;
    for (auto _ : state) {
        state.PauseTiming();
        list = reversed;
        state.ResumeTiming();
        Calc_Days_Left_ButtonClick(list, Bench_Today());
        benchmark::DoNotOptimize(Sort_Data_BitBtnClick(list, Sort_By_Name, Sort_Ascending));
    }
}
BENCHMARK(BM_Refresh_500)->Unit(benchmark::kMicrosecond);

// The report on 500 entries ordered by next occurrence; the argument is the
// threshold in days (14 is the default, 100 the most lines).
void BM_Report_500(benchmark::State& state) {
    Event_List list;
    Fill_Bench_List(list);
    Calc_Days_Left_ButtonClick(list, Bench_Today());
    Sort_Data_BitBtnClick(list, Sort_By_Next_Event, Sort_Ascending);
    Report_Inputs inputs;
    inputs.List = &list;
    inputs.Threshold = static_cast<int>(state.range(0));
    inputs.Today = Bench_Today();
    inputs.Short_Date = Make_Strftime_Formatter("%d/%m/%Y");
    inputs.Web_Address = "https://tessaly.example.org";
    for (auto _ : state) {
        const Report_Document document = Build_Coming_Events_Report(inputs);
        benchmark::DoNotOptimize(document.Events_Found);
    }
}
BENCHMARK(BM_Report_500)->Arg(14)->Arg(100)->Unit(benchmark::kMicrosecond);

// The import's work on a sibling file of a million lines (about 50 MB): read
// it, split it into lines and visit every line, taking 500 entries.
void BM_Import_Million_Lines(benchmark::State& state) {
    Scratch_Folder folder;
    const std::filesystem::path file = folder.File("CORVANE.TXT");
    {
        std::string text;
        for (int i = 0; i < 1'000'000; ++i) {
            const std::string number = std::to_string(100000 + i);
            text += "\"Guest " + number + " of the club\",#1990-" + std::to_string(1 + i % 12) +
                    "-" + std::to_string(1 + i % 28) + "#,x\r\n";
        }
        std::ofstream(file, std::ios::binary) << text;
    }
    std::size_t held = 0;
    for (auto _ : state) {
        Event_List list;
        Import_Lines lines;
        lines.Assign(Read_Whole_File(file));
        held = std::filesystem::file_size(file) + lines.Count() * sizeof(std::string_view);
        benchmark::DoNotOptimize(Append_Sibling_Lines(list, lines.Lines()));
    }
    state.counters["MB_held"] = static_cast<double>(held) / 1e6;
    state.counters["MB_file"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
}
BENCHMARK(BM_Import_Million_Lines)->Unit(benchmark::kMillisecond);

// The contacts import's work on a 50 MB file of phone-like contacts (about
// 330,000): every contact read, 500 taken, the rest found a full list.
void BM_Import_Contacts_50_MB(benchmark::State& state) {
    std::string file;
    for (int i = 0; file.size() < 50'000'000; ++i) {
        const std::string number = std::to_string(i);
        file += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Contact " + number + "\r\nN:Contact;" + number +
                ";;;\r\nTEL;TYPE=CELL:+44 7700 900" + std::to_string(i % 1000) + "\r\nEMAIL:c" +
                number + "@example.com\r\nBDAY:19" + std::to_string(50 + i % 50) + "-0" +
                std::to_string(1 + i % 9) + "-1" + std::to_string(i % 9) + "\r\nEND:VCARD\r\n";
    }
    for (auto _ : state) {
        Event_List list;
        benchmark::DoNotOptimize(Append_VCard_Events(list, file).Contacts);
    }
    state.counters["MB_file"] = static_cast<double>(file.size()) / 1e6;
}
BENCHMARK(BM_Import_Contacts_50_MB)->Unit(benchmark::kMillisecond);

// The CSV import of a 128 MB spreadsheet file (about 2.3 million rows): every
// row read, 500 taken. Run it alone for the peak memory to be its own
// (--benchmark_filter=CSV).
void BM_Import_CSV_128_MB(benchmark::State& state) {
    std::string file = "Name,Date,Event Type,Comments\r\n";
    for (int i = 0; file.size() < 128'000'000; ++i) {
        const std::string number = std::to_string(i);
        file += "\"Guest " + number + ", of the club\",19" + std::to_string(50 + i % 50) + "-0" +
                std::to_string(1 + i % 9) + "-1" + std::to_string(i % 9) +
                ",Birthday,likes tea\r\n";
    }
    for (auto _ : state) {
        Event_List list;
        benchmark::DoNotOptimize(Import_CSV(list, file, {}).Imported);
    }
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["MB_file"] = static_cast<double>(file.size()) / 1e6;
    state.counters["MB_peak_rss"] = static_cast<double>(usage.ru_maxrss) / 1e3;
}
BENCHMARK(BM_Import_CSV_128_MB)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tessaly::bench

BENCHMARK_MAIN();
