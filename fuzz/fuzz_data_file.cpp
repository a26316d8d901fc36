// Reads any bytes as a data file. Whatever reads must save and read back as
// the same list, and the second save must give the same bytes.

#include <cmath>
#include <cstdint>
#include <exception>
#include <string>

#include "core/data_file.h"
#include "core/dates.h"
#include "core/errors.h"
#include "core/event_list.h"
#include "fuzz/fuzz_check.h"

namespace tessaly::fuzz {
namespace {

const char* Text_Read_Back[] = {"a saved Name reads back",     "a saved Event_Type reads back",
                                "a saved Comments reads back", "a saved Spare_1 reads back",
                                "a saved Spare_2 reads back",  "a saved Spare_3 reads back",
                                "a saved Spare_4 reads back"};

std::string_view Text_Field(const TName_And_Event_Data& entry, int field) {
    const std::string* fields[] = {&entry.Name,    &entry.Event_Type, &entry.Comments,
                                   &entry.Spare_1, &entry.Spare_2,    &entry.Spare_3,
                                   &entry.Spare_4};
    return *fields[field];
}

// What the reader leaves in the list, whether it finished or not.
void Check_List_Shape(const Event_List& list, int capacity_cuts) {
    const int count = list.Event_Count();
    Check(count >= 0 && count <= Event_Array_Size, "Event_Count within 0..Event_Array_Size");
    Check(capacity_cuts <= 1, "On_Capacity_Cut called at most once");
    Check(capacity_cuts == 0 || count == Event_Array_Size,
          "after On_Capacity_Cut the list holds Event_Array_Size entries");
    const TName_And_Event_Data blank;
    for (int position = count + 1; position <= Event_Array_Size; ++position) {
        Check(list.At(position) == blank, "positions past Event_Count are blank");
    }
}

void Check_Entries_Read(const Event_List& list) {
    for (const TName_And_Event_Data& entry : list.Entries()) {
        Check(Is_Day_Number_In_Range(entry.Orig_Date), "a date read is within years 1..9999");
        for (int field = 0; field < 7; ++field) {
            const std::string_view text = Text_Field(entry, field);
            if (text.find_first_of(std::string_view("\r\x1a\0", 3)) != std::string_view::npos) {
                Fail("a text read holds no CR, Ctrl-Z or NUL", Shown(text));
            }
        }
    }
}

}  // namespace
}  // namespace tessaly::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    using namespace tessaly::fuzz;
    // Each list allocates all its positions: made once, blanked by every read.
    static Event_List first;
    static Event_List second;

    int cuts = 0;
    Load_Options options;
    options.On_Capacity_Cut = [&cuts] { ++cuts; };
    try {
        Parse_Data_File(Bytes_Of(data, size), first, options);
    } catch (const Tessaly_Error&) {
        Check_List_Shape(first, cuts);
        return 0;
    }
    Check_List_Shape(first, cuts);
    Check_Entries_Read(first);

    const std::string saved = Serialise_Data_File(first);
    int cuts_again = 0;
    options.On_Capacity_Cut = [&cuts_again] { ++cuts_again; };
    try {
        Parse_Data_File(saved, second, options);
    } catch (const std::exception& error) {
        Fail("a saved file reads back", error.what());
    }
    Check(cuts_again == cuts, "a saved list is cut at capacity exactly when the loaded list was");
    Check(second.Event_Count() == first.Event_Count(), "a saved list reads back its Event_Count");
    for (int position = 1; position <= first.Event_Count(); ++position) {
        const TName_And_Event_Data& before = first.At(position);
        const TName_And_Event_Data& after = second.At(position);
        for (int field = 0; field < 7; ++field) {
            Check_Same(Text_Field(before, field), Text_Field(after, field), Text_Read_Back[field]);
        }
        if (std::trunc(before.Orig_Date) != std::trunc(after.Orig_Date)) {
            Fail("a saved Orig_Date reads back as the same day",
                 Format_Date_Text(before.Orig_Date) + " read back as " +
                     Format_Date_Text(after.Orig_Date));
        }
    }
    Check_Same(saved, Serialise_Data_File(second),
               "saving the list read back gives the same bytes");
    return 0;
}
