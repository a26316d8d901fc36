#include "core/csv_exchange.h"

#include <array>
#include <cstdio>

#include "core/text_encoding.h"

namespace tessaly {

namespace {

constexpr std::string_view Record_End = "\r\n";
constexpr const char* Default_Event_Type = "Birthday";

enum Column { Name_Column, Date_Column, Event_Type_Column, Comments_Column, Column_Count };

// The header of an export; the last three are the derived fields, which an
// import ignores.
constexpr std::array<std::string_view, 7> Header = {
    "Name", "Date", "Event Type", "Comments", "Next Event", "Days Left", "Age Next"};

void Add_Field(std::string& out, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    out += '"';
}

std::string ISO_Date(Day_Number date) {
    const Civil_Date civil = Decode_Date(date);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", civil.Year, civil.Month, civil.Day);
    return text;
}

// The column a header names, or Column_Count for one the import ignores.
int Column_Of(std::string_view title) {
    const std::string name = Ascii_Upper_Case(Trimmed(title));
    if (name == "NAME") {
        return Name_Column;
    }
    // The grid calls it "Orig. Date".
    if (name == "DATE" || name == "ORIG. DATE") {
        return Date_Column;
    }
    if (name == "EVENT TYPE") {
        return Event_Type_Column;
    }
    if (name == "COMMENTS") {
        return Comments_Column;
    }
    return Column_Count;
}

// Where each column is in a record; -1 when the header lacks it.
using Column_Positions = std::array<int, Column_Count>;

Column_Positions Positions_Of(const CSV_Record& header) {
    Column_Positions position;
    position.fill(-1);
    for (std::size_t i = 0; i < header.Fields.size(); ++i) {
        const int column = Column_Of(header.Fields[i]);
        if (column != Column_Count && position[column] < 0) {
            position[column] = static_cast<int>(i);
        }
    }
    return position;
}

bool Has_Required_Columns(const Column_Positions& position) {
    return position[Name_Column] >= 0 && position[Date_Column] >= 0;
}

// CR LF and lone CR as LF: the data file ends its lines at a CR.
std::string With_LF_Breaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            out += '\n';
        } else {
            out += text[i];
        }
    }
    return out;
}

void Note_Skipped(CSV_Import_Result& result, int row) {
    ++result.Skipped;
    if (result.First_Skipped_Rows.size() < static_cast<std::size_t>(Listed_Skipped_Rows)) {
        result.First_Skipped_Rows.push_back(row);
    }
}

}  // namespace

std::string Export_CSV(const Event_List& list, Day_Number today, bool with_bom) {
    // A copy, so that the derived columns are those of `today` whenever the
    // window last refreshed.
    Event_List current = list;
    Calc_Days_Left_ButtonClick(current, today);

    std::string out(with_bom ? UTF8_BOM : "");
    for (std::size_t i = 0; i < Header.size(); ++i) {
        out += i == 0 ? "" : ",";
        out += Header[i];
    }
    out += Record_End;
    for (const TName_And_Event_Data& entry : current.Entries()) {
        Add_Field(out, To_Display_UTF8(entry.Name));
        out += ',' + ISO_Date(entry.Orig_Date) + ',';
        Add_Field(out, To_Display_UTF8(entry.Event_Type));
        out += ',';
        Add_Field(out, To_Display_UTF8(entry.Comments));
        out += ',' + ISO_Date(entry.Next_Event) + ',' + std::to_string(entry.Days_Left) + ',' +
               std::to_string(entry.Age_Next);
        out += Record_End;
    }
    return out;
}

std::vector<CSV_Record> Parse_CSV(std::string_view text, char separator) {
    if (text.substr(0, UTF8_BOM.size()) == UTF8_BOM) {
        text.remove_prefix(UTF8_BOM.size());
    }
    std::vector<CSV_Record> records;
    CSV_Record record;
    std::string field;
    bool record_started = false;
    int row = 1;
    const auto end_record = [&] {
        record.Fields.push_back(std::move(field));
        field.clear();
        record.Row = row++;
        records.push_back(std::move(record));
        record = {};
        record_started = false;
    };

    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"' && field.empty()) {
            // A quoted field, up to the quote that is not doubled.
            record_started = true;
            ++i;
            bool closed = false;
            while (i < text.size()) {
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                field += text[i++];
            }
            if (!closed) {
                record.Unterminated = true;
            }
            continue;
        }
        if (c == separator) {
            record_started = true;
            record.Fields.push_back(std::move(field));
            field.clear();
            ++i;
            continue;
        }
        if (c == '\r' || c == '\n') {
            i += c == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
            if (record_started || !field.empty()) {
                end_record();
            } else {
                ++row;  // a blank line is a row of the spreadsheet all the same
            }
            continue;
        }
        record_started = true;
        field += c;
        ++i;
    }
    if (record_started || !field.empty()) {
        end_record();
    }
    return records;
}

std::optional<Civil_Date> Read_ISO_Date(std::string_view text) {
    const std::size_t first = text.find('-');
    const std::size_t second = first == std::string_view::npos ? first : text.find('-', first + 1);
    if (first != 4 || second == std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<int> year = Decimal_Value(text.substr(0, 4), 4);
    const std::optional<int> month = Decimal_Value(text.substr(5, second - 5), 2);
    const std::optional<int> day = Decimal_Value(text.substr(second + 1), 2);
    if (!year || !month || !day || !Is_Valid_Civil_Date(*year, *month, *day)) {
        return std::nullopt;
    }
    return Civil_Date{*year, *month, *day};
}

CSV_Import_Result Import_CSV(Event_List& list, std::string_view text,
                             const Date_Reader& local_date) {
    CSV_Import_Result result;
    // Spreadsheets set to a language that writes decimal commas save with
    // ";" between fields, and a copied table has tabs: the file's separator
    // is the first whose header names the most required columns.
    std::vector<CSV_Record> records;
    Column_Positions position = Positions_Of(CSV_Record{});
    int most_required = -1;
    for (const char separator : {',', ';', '\t'}) {
        std::vector<CSV_Record> split = Parse_CSV(text, separator);
        const Column_Positions found = Positions_Of(split.empty() ? CSV_Record{} : split[0]);
        const int required = (found[Name_Column] >= 0 ? 1 : 0) + (found[Date_Column] >= 0 ? 1 : 0);
        if (required > most_required) {
            most_required = required;
            records = std::move(split);
            position = found;
        }
        if (Has_Required_Columns(found)) {
            break;
        }
    }
    if (records.empty()) {
        result.Header_Error = "The file holds no header row.";
        return result;
    }
    const CSV_Record& header = records.front();
    if (!Has_Required_Columns(position)) {
        std::string missing = position[Name_Column] < 0 ? "\"Name\"" : "";
        if (position[Date_Column] < 0) {
            missing += missing.empty() ? "\"Date\"" : " and \"Date\"";
        }
        result.Header_Error = "The first row of the file must name the columns, and it has no " +
                              missing + " column.";
        return result;
    }

    for (std::size_t r = 1; r < records.size(); ++r) {
        const CSV_Record& record = records[r];
        if (record.Unterminated || record.Fields.size() != header.Fields.size()) {
            Note_Skipped(result, record.Row);
            continue;
        }
        const auto field = [&](int column) -> std::string_view {
            return position[column] < 0 ? std::string_view() : record.Fields[position[column]];
        };
        const std::string_view date_text = Trimmed(field(Date_Column));
        std::optional<Civil_Date> date = Read_ISO_Date(date_text);
        if (!date && local_date) {
            date = local_date(date_text);
        }
        if (Trimmed(field(Name_Column)).empty() || !date ||
            !Is_Valid_Civil_Date(date->Year, date->Month, date->Day)) {
            Note_Skipped(result, record.Row);
            continue;
        }
        if (list.Is_Full()) {
            result.Had_Too_Many = true;
            continue;
        }
        TName_And_Event_Data& entry = list.Append();
        entry.Name = With_LF_Breaks(field(Name_Column));
        entry.Orig_Date = Encode_Date(date->Year, date->Month, date->Day);
        entry.Event_Type = With_LF_Breaks(field(Event_Type_Column));
        if (Trimmed(entry.Event_Type).empty()) {
            entry.Event_Type = Default_Event_Type;
        }
        entry.Comments = With_LF_Breaks(field(Comments_Column));
        ++result.Imported;
    }
    return result;
}

}  // namespace tessaly
