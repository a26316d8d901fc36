#include <gtest/gtest.h>

#include <string>

#include "core/data_file.h"
#include "core/dates.h"
#include "core/entry_attributes.h"
#include "core/event_list.h"
#include "core/last_version/last_version.h"
#include "core/sorting.h"

namespace tessaly {
namespace {

using tessaly_last_version_run::Run_Last_Version;

// A list as this version saves it, with every kind of attribute, in name
// order so that the last version's sort by name moves nothing.
Event_List Attributed_List() {
    Event_List list;
    const auto add = [&list](const char* name, Day_Number date, Entry_Attributes attributes) {
        TName_And_Event_Data& entry = list.Append();
        entry.Name = name;
        entry.Orig_Date = date;
        entry.Event_Type = "Birthday";
        EXPECT_TRUE(Write_Entry_Attributes(entry, attributes));
    };
    add("Ann", Year_Unknown_Date(12, 10), {true, std::nullopt});
    add("Bea", Year_Unknown_Date(2, 29), {true, 30});
    add("Cal", Encode_Date(1990, 12, 30), {false, 30});
    add("Dot", Encode_Date(1985, 12, 9), {});
    // Another program's spare text, and an attribute of a later version.
    list.At(4).Spare_1 = "kept by another program";
    list.At(4).Spare_2 = "[Tessaly/1]uid=abc%3B1;later=x";
    return list;
}

TEST(Last_Version_Reads, ItLoadsSortsReportsAndSavesANewFileWithoutChangingAByte) {
    const Event_List list = Attributed_List();
    const std::string bytes = Serialise_Data_File(list);
    const Day_Number today = Encode_Date(2026, 12, 7);

    const auto run = Run_Last_Version(bytes, today, Sort_By_Name, Sort_Ascending, 14);
    EXPECT_EQ(run.Saved, bytes);

    // The year-less entry is reported on its day, with an age that plainly
    // is no real one; the rest as that version always reported them.
    EXPECT_NE(run.Report.find("    1.  Dot's 41st Birthday in 2 days (Wed, 2026-12-09)"),
              std::string::npos)
        << run.Report;
    EXPECT_NE(run.Report.find("    2.  Ann's 422nd Birthday in 3 days (Thu, 2026-12-10)"),
              std::string::npos)
        << run.Report;
    EXPECT_NE(run.Report.find(" 2 events found and reported."), std::string::npos) << run.Report;

    // Saved again by that version, the attributes are all still there.
    Event_List reloaded;
    Parse_Data_File(run.Saved, reloaded, {});
    ASSERT_EQ(reloaded.Event_Count(), 4);
    for (int position = 1; position <= 4; ++position) {
        EXPECT_EQ(Read_Entry_Attributes(reloaded.At(position)),
                  Read_Entry_Attributes(list.At(position)))
            << position;
    }
}

TEST(Last_Version_Reads, ItsSortByDateKeepsEveryEntryWhole) {
    const Event_List list = Attributed_List();
    const std::string bytes = Serialise_Data_File(list);
    const auto run =
        Run_Last_Version(bytes, Encode_Date(2026, 12, 7), Sort_By_Orig_Date, Sort_Descending, 100);

    Event_List saved;
    Parse_Data_File(run.Saved, saved, {});
    ASSERT_EQ(saved.Event_Count(), 4);
    for (const TName_And_Event_Data& entry : saved.Entries()) {
        bool found = false;
        for (const TName_And_Event_Data& original : list.Entries()) {
            found = found || (entry == original);
        }
        EXPECT_TRUE(found) << entry.Name;
    }
    // Year-less entries come last by their placeholder year.
    EXPECT_EQ(saved.At(3).Name, "Ann");
    EXPECT_EQ(saved.At(4).Name, "Bea");
}

}  // namespace
}  // namespace tessaly
