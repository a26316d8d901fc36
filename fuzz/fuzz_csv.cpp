// The CSV reader and import: any bytes as a file. Records written back with
// the export's quoting read as the same fields, and an import takes only
// sound entries, each of which comes back unchanged through an export.

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "core/dates.h"
#include "core/entry_attributes.h"
#include "core/event_list.h"
#include "core/short_date_reader.h"
#include "core/text_encoding.h"
#include "exchange/csv_exchange.h"
#include "fuzz/fuzz_check.h"

namespace tessaly::fuzz {
namespace {

std::string Written(const std::vector<CSV_Record>& records) {
    std::string out;
    for (const CSV_Record& record : records) {
        for (std::size_t i = 0; i < record.Fields.size(); ++i) {
            const std::string& field = record.Fields[i];
            out += i == 0 ? "" : ",";
            // A lone empty field is quoted, or its record would be a blank line.
            if (field.find_first_of(",\"\r\n") != std::string::npos ||
                (field.empty() && record.Fields.size() == 1)) {
                out += '"';
                for (const char c : field) {
                    out += c == '"' ? "\"\"" : std::string(1, c);
                }
                out += '"';
            } else {
                out += field;
            }
        }
        out += "\r\n";
    }
    return out;
}

void Check_Records(std::string_view content) {
    std::vector<CSV_Record> records;
    try {
        records = Parse_CSV(content);
    } catch (const std::exception& error) {
        Fail("reading CSV never throws", error.what());
    }
    int last_row = 0;
    std::vector<CSV_Record> whole;
    for (const CSV_Record& record : records) {
        Check(record.Row > last_row, "row numbers increase");
        Check(!record.Fields.empty(), "a record has a field");
        last_row = record.Row;
        if (!record.Unterminated) {
            whole.push_back(record);
        }
    }
    // A leading BOM would be taken as the file's own.
    if (!whole.empty() && whole.front().Fields.front().starts_with(UTF8_BOM)) {
        return;
    }
    const std::vector<CSV_Record> again = Parse_CSV(Written(whole));
    Check(again.size() == whole.size(), "written records read back as many records");
    for (std::size_t i = 0; i < whole.size(); ++i) {
        Check(again[i].Fields == whole[i].Fields, "written records read back as the same fields");
    }
}

void Check_Import(std::string_view content) {
    Event_List list;
    const Date_Reader local = [](std::string_view text) {
        return Read_Short_Date("%d/%m/%Y", text);
    };
    CSV_Import_Result result;
    try {
        result = Import_CSV(list, content, local, [](std::string_view text) {
            return Read_Short_Date_Without_Year("%d/%m/%Y", text);
        });
    } catch (const std::exception& error) {
        Fail("an import never throws", error.what());
    }
    Check(result.Imported == list.Event_Count(), "every imported entry is in the list");
    if (!result.Header_Error.empty()) {
        Check(result.Imported == 0 && result.Skipped == 0, "a bad header imports nothing");
        return;
    }
    Check(result.First_Skipped_Rows.size() <=
              static_cast<std::size_t>(std::min(result.Skipped, Listed_Skipped_Rows)),
          "only skipped rows are listed");
    Event_List sound;
    for (const TName_And_Event_Data& entry : list.Entries()) {
        Check(!entry.Name.empty() && !entry.Event_Type.empty(), "an entry has a name and a type");
        Check(Is_Day_Number_In_Range(entry.Orig_Date), "an entry's date is within years 1..9999");
        for (const std::string* text : {&entry.Name, &entry.Event_Type, &entry.Comments}) {
            Check(text->find('\r') == std::string::npos, "no CR reaches the list", *text);
        }
        if (Is_Valid_UTF8(entry.Name) && Is_Valid_UTF8(entry.Event_Type) &&
            Is_Valid_UTF8(entry.Comments)) {
            sound.Append() = entry;
        }
    }
    Event_List back;
    Import_CSV(back, Export_CSV(sound, Day_Number_Of(2026, 12, 7), true), {});
    Check(back.Event_Count() == sound.Event_Count(), "an exported list imports whole");
    for (int i = 1; i <= sound.Event_Count(); ++i) {
        const TName_And_Event_Data& a = sound.At(i);
        const TName_And_Event_Data& b = back.At(i);
        Check(a.Name == b.Name && a.Orig_Date == b.Orig_Date && a.Event_Type == b.Event_Type &&
                  a.Comments == b.Comments &&
                  Read_Entry_Attributes(a).Year_Unknown == Read_Entry_Attributes(b).Year_Unknown,
              "an exported entry imports unchanged", a.Name);
    }
}

}  // namespace
}  // namespace tessaly::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly::fuzz;
    const std::string_view content = Bytes_Of(data, size);
    Check_Records(content);
    Check_Import(content);
    return 0;
}
