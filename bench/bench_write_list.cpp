// Writes the benchmarks' list of the given number of entries (at most 500)
// as Tessaly.dat into a folder, for the scripts that time the real window.
//   tessaly_bench_write_list FOLDER COUNT
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "bench_data.h"
#include "core/data_file.h"

int main(int argc, char** argv) {
    const int count = argc == 3 ? std::atoi(argv[2]) : -1;
    if (count < 0 || count > tessaly::Event_Array_Size) {
        std::fprintf(stderr, "usage: %s FOLDER COUNT (0 to 500)\n", argv[0]);
        return 64;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    tessaly::Event_List list;
    tessaly::bench::Fill_Bench_List(list);
    list.Set_Event_Count(count);
    tessaly::Save_Data_To_File_ButtonClick(list, tessaly::Data_File_Path(folder));
    return 0;
}
