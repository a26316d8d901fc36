// Compiled with the frozen sources' namespace renamed (see CMakeLists.txt),
// so that they link beside the current core.
#include "last_version.h"

#include <stdexcept>

#include "core/atomic_file.h"
#include "core/data_file.h"
#include "core/platform/regional_settings.h"
#include "report/report_builder.h"

namespace tessaly {

// The file calls are not part of what is compared: the test hands over bytes.
void Write_File_Atomically(const std::filesystem::path&, std::string_view,
                           const Atomic_Write_Options&) {
    throw std::logic_error("not used by the test");
}

std::string Read_Whole_File(const std::filesystem::path&) {
    throw std::logic_error("not used by the test");
}

std::string System_Short_Date_Pattern() {
    return "%Y-%m-%d";
}

}  // namespace tessaly

namespace tessaly_last_version_run {

Last_Version_Result Run_Last_Version(std::string_view bytes, double today, int sort_column,
                                     int sort_order, int threshold) {
    using namespace tessaly;
    Event_List list;
    Parse_Data_File(bytes, list, {});
    Calc_Days_Left_ButtonClick(list, today);
    Sort_Data_BitBtnClick(list, sort_column, sort_order);

    Event_List report_list = list;
    Order_For_Report(report_list, sort_column, sort_order);
    Report_Inputs inputs;
    inputs.List = &report_list;
    inputs.Threshold = threshold;
    inputs.Today = today;
    inputs.Short_Date = Make_Strftime_Formatter("%Y-%m-%d");
    return {Serialise_Data_File(list), Build_Coming_Events_Report(inputs).Plain_Text()};
}

}  // namespace tessaly_last_version_run
