// Saves version after version of a list over FOLDER/Tessaly.dat, keeping the
// backup, as fast as it can until it is killed. test_save_faults.cpp kills it
// part-way and checks that every file left holds one whole version.
//
// Version n has 20 + n % 50 entries; entry i is named "Version n entry i",
// has the comment "Entry i of version n" and the day 20000 + n % 20000, so a
// file holding entries of two versions, or too few of one, shows.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/data_file.h"
#include "core/errors.h"
#include "core/event_list.h"

namespace {

void Fill_Version(tessaly::Event_List& list, long version) {
    list.Initialise_Entire_Array_ButtonClick();
    const long count = 20 + version % 50;
    for (long i = 1; i <= count; ++i) {
        tessaly::TName_And_Event_Data& entry = list.Append();
        entry.Name = "Version " + std::to_string(version) + " entry " + std::to_string(i);
        entry.Orig_Date = static_cast<tessaly::Day_Number>(20000 + version % 20000);
        entry.Event_Type = "Birthday";
        entry.Comments = "Entry " + std::to_string(i) + " of version " + std::to_string(version);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FOLDER FIRST_VERSION\n", argv[0]);
        return 2;
    }
    const std::filesystem::path target = std::filesystem::path(argv[1]) / tessaly::Data_File_Name;
    long version = std::strtol(argv[2], nullptr, 10);
    tessaly::Event_List list;

    // Saving starts now: the test times its kill from here, not from the
    // start-up, which is slow under the sanitizers.
    if (::write(STDOUT_FILENO, "s", 1) != 1) {
        return 2;
    }
    for (;; ++version) {
        Fill_Version(list, version);
        try {
            tessaly::Save_Data_To_File_ButtonClick(list, target, {.Keep_Backup = true});
        } catch (const tessaly::Tessaly_Error& error) {
            std::fprintf(stderr, "saving version %ld failed: %s\n", version, error.what());
            return 1;
        }
    }
}
