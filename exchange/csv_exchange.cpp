#include "exchange/csv_exchange.h"

#include <array>
#include <cstdio>

#include "core/entry_attributes.h"
#include "core/field_limits.h"
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

// ISO 8601's form for a month and day without a year: "--MM-DD".
std::string Date_Without_Year(Day_Number date) {
    return "-" + ISO_Date(date).substr(4);
}

// "--MM-DD": a month and day in Year_Unknown_Placeholder, or none.
std::optional<Civil_Date> Read_Date_Without_Year(std::string_view text) {
    if (!text.starts_with("--")) {
        return std::nullopt;
    }
    const std::optional<Civil_Date> date = Read_ISO_Date("2000" + std::string(text.substr(1)));
    if (!date) {
        return std::nullopt;
    }
    return Civil_Date{Year_Unknown_Placeholder, date->Month, date->Day};
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

// Spreadsheet programs run a cell that begins with one of these as a
// formula, which a name or comment from anyone must never become.
bool Starts_Formula(std::string_view text) {
    return !text.empty() &&
           std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
}

// Marks are quotes before a formula's first character; a text that already
// begins so gets one more, so that taking one off gives back any text.
bool Has_Formula_Marks(std::string_view text) {
    const std::size_t marks = text.find_first_not_of('\'');
    return marks != std::string_view::npos && Starts_Formula(text.substr(marks));
}

std::string With_Formula_Mark(std::string text) {
    if (Has_Formula_Marks(text)) {
        text.insert(text.begin(), '\'');
    }
    return text;
}

std::string_view Without_Formula_Mark(std::string_view text) {
    if (!text.empty() && text.front() == '\'' && Has_Formula_Marks(text)) {
        text.remove_prefix(1);
    }
    return text;
}

bool Is_Own_Header(const CSV_Record& header) {
    if (header.Fields.size() != Header.size()) {
        return false;
    }
    for (std::size_t i = 0; i < Header.size(); ++i) {
        if (header.Fields[i] != Header[i]) {
            return false;
        }
    }
    return true;
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
        Add_Field(out, With_Formula_Mark(To_Display_UTF8(entry.Name)));
        out +=
            ',' +
            (entry.Year_Unknown ? Date_Without_Year(entry.Orig_Date) : ISO_Date(entry.Orig_Date)) +
            ',';
        Add_Field(out, With_Formula_Mark(To_Display_UTF8(entry.Event_Type)));
        out += ',';
        Add_Field(out, With_Formula_Mark(To_Display_UTF8(entry.Comments)));
        out += ',' + ISO_Date(entry.Next_Event) + ',' + std::to_string(entry.Days_Left) + ',' +
               (entry.Year_Unknown ? std::string() : std::to_string(entry.Age_Next));
        out += Record_End;
    }
    return out;
}

CSV_Reader::CSV_Reader(std::string_view text, char separator)
    : text_(text.substr(0, UTF8_BOM.size()) == UTF8_BOM ? text.substr(UTF8_BOM.size()) : text),
      separator_(separator) {}

bool CSV_Reader::Next(CSV_Record& record) {
    record.Fields.clear();
    record.Unterminated = false;
    std::string field;
    bool started = false;
    const auto end_record = [&] {
        record.Fields.push_back(std::move(field));
        record.Row = row_++;
        return true;
    };
    while (pos_ < text_.size()) {
        const char c = text_[pos_];
        if (c == '"' && field.empty()) {
            // A quoted field, up to the quote that is not doubled.
            started = true;
            ++pos_;
            bool closed = false;
            while (pos_ < text_.size()) {
                const std::size_t quote = text_.find('"', pos_);
                const std::size_t stop = quote == std::string_view::npos ? text_.size() : quote;
                field.append(text_.substr(pos_, stop - pos_));
                pos_ = stop;
                if (quote == std::string_view::npos) {
                    break;
                }
                if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
                    field += '"';
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                closed = true;
                break;
            }
            record.Unterminated = record.Unterminated || !closed;
            continue;
        }
        if (c == separator_) {
            started = true;
            record.Fields.push_back(std::move(field));
            field.clear();
            ++pos_;
            continue;
        }
        if (c == '\r' || c == '\n') {
            pos_ += c == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n' ? 2 : 1;
            if (started || !field.empty()) {
                return end_record();
            }
            ++row_;  // a blank line is a row of the spreadsheet all the same
            continue;
        }
        started = true;
        field += c;
        ++pos_;
    }
    if (started || !field.empty()) {
        return end_record();
    }
    return false;
}

std::vector<CSV_Record> Parse_CSV(std::string_view text, char separator) {
    std::vector<CSV_Record> records;
    CSV_Reader reader(text, separator);
    CSV_Record record;
    while (reader.Next(record)) {
        records.push_back(record);
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

CSV_Import_Result Import_CSV(Event_List& list, std::string_view text, const Date_Reader& local_date,
                             const Date_Reader& local_date_without_year) {
    CSV_Import_Result result;
    // Spreadsheets set to a language that writes decimal commas save with
    // ";" between fields, and a copied table has tabs: the file's separator
    // is the first whose header names the most required columns. Only the
    // header is read for this: the records are read once, one at a time, so
    // that a large file costs little more than its own size.
    CSV_Record header;
    char separator = ',';
    Column_Positions position = Positions_Of(CSV_Record{});
    int most_required = -1;
    for (const char candidate : {',', ';', '\t'}) {
        CSV_Record first;
        if (!CSV_Reader(text, candidate).Next(first)) {
            first = {};
        }
        const Column_Positions found = Positions_Of(first);
        const int required = (found[Name_Column] >= 0 ? 1 : 0) + (found[Date_Column] >= 0 ? 1 : 0);
        if (required > most_required) {
            most_required = required;
            header = std::move(first);
            separator = candidate;
            position = found;
        }
        if (Has_Required_Columns(found)) {
            break;
        }
    }
    if (header.Fields.empty()) {
        result.Header_Error = "The file holds no header row.";
        return result;
    }
    if (!Has_Required_Columns(position)) {
        std::string missing = position[Name_Column] < 0 ? "\"Name\"" : "";
        if (position[Date_Column] < 0) {
            missing += missing.empty() ? "\"Date\"" : " and \"Date\"";
        }
        result.Header_Error = "The first row of the file must name the columns, and it has no " +
                              missing + " column.";
        return result;
    }
    // Only our own export marks the texts that spreadsheets would run.
    const bool own_export = Is_Own_Header(header);

    CSV_Reader reader(text, separator);
    CSV_Record record;
    reader.Next(record);  // the header
    while (reader.Next(record)) {
        if (record.Unterminated || record.Fields.size() != header.Fields.size()) {
            Note_Skipped(result, record.Row);
            continue;
        }
        const auto field = [&](int column) -> std::string_view {
            return position[column] < 0 ? std::string_view() : record.Fields[position[column]];
        };
        const auto text_of = [&](int column, Field_Repairs& repairs) {
            std::string_view value = field(column);
            if (own_export) {
                value = Without_Formula_Mark(value);
            }
            return Storable_Text(value, repairs);
        };
        const std::string_view date_text = Trimmed(field(Date_Column));
        std::optional<Civil_Date> date = Read_ISO_Date(date_text);
        if (!date && local_date) {
            date = local_date(date_text);
        }
        const bool year_unknown = !date;
        if (!date) {
            date = Read_Date_Without_Year(date_text);
        }
        if (!date && local_date_without_year) {
            date = local_date_without_year(date_text);
        }
        // A name of NUL bytes alone is blank once stored: no name.
        Field_Repairs name_repairs;
        std::string name = text_of(Name_Column, name_repairs);
        if (Trimmed(name).empty() || !date ||
            !Is_Valid_Civil_Date(date->Year, date->Month, date->Day)) {
            Note_Skipped(result, record.Row);
            continue;
        }
        if (list.Is_Full()) {
            result.Had_Too_Many = true;
            continue;
        }
        result.Repairs.Shortened += name_repairs.Shortened;
        result.Repairs.Blanked += name_repairs.Blanked;
        TName_And_Event_Data& entry = list.Append();
        entry.Name = std::move(name);
        entry.Orig_Date = Encode_Date(date->Year, date->Month, date->Day);
        entry.Event_Type = text_of(Event_Type_Column, result.Repairs);
        if (Trimmed(entry.Event_Type).empty()) {
            entry.Event_Type = Default_Event_Type;
        }
        entry.Comments = text_of(Comments_Column, result.Repairs);
        if (year_unknown) {
            entry.Orig_Date = Year_Unknown_Date(date->Month, date->Day);
            Write_Entry_Attributes(entry, {true, std::nullopt});
            ++result.Without_Year;
        }
        ++result.Imported;
    }
    return result;
}

}  // namespace tessaly
