#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dates.h"
#include "core/event_list.h"
#include "core/field_limits.h"

namespace tessaly {

inline constexpr const char* CSV_File_Name = "Tessaly.csv";

// The byte-order mark that tells spreadsheet programs the file is UTF-8.
inline constexpr std::string_view UTF8_BOM = "\xEF\xBB\xBF";

// The list as CSV (RFC 4180): a header row "Name,Date,Event Type,Comments,
// Next Event,Days Left,Age Next", then one record per entry in list order,
// each with the grid's values for `today`. Dates are ISO 8601 ("--MM-DD" and
// no age for a year-less entry), texts UTF-8
// as the window shows them, records end in CR LF. `with_bom` starts the text
// with UTF8_BOM. A text that a spreadsheet would run as a formula (one
// beginning with "=", "+", "-", "@", a tab or CR) gets a quote before it.
std::string Export_CSV(const Event_List& list, Day_Number today, bool with_bom);

// One record of a CSV text.
struct CSV_Record {
    std::vector<std::string> Fields;
    // The record's number in the file, the first being 1: what a spreadsheet
    // shows as its row.
    int Row = 0;
    // A quoted field ran to the end of the text.
    bool Unterminated = false;
};

// Reads CSV text one record at a time, fields at `separator`, as Parse_CSV
// splits it. The text must outlive the reader.
class CSV_Reader {
public:
    CSV_Reader(std::string_view text, char separator);
    // The next record into `record` (its fields replaced); false at the end.
    bool Next(CSV_Record& record);

private:
    std::string_view text_;
    char separator_;
    std::size_t pos_ = 0;
    int row_ = 1;
};

// Splits CSV text into records, fields at `separator`. A leading UTF-8
// byte-order mark is skipped; records end in CR LF, LF or CR; quoted fields
// may hold separators, quotes (doubled) and line breaks. A quote inside an
// unquoted field, or text after a closing quote, is taken as it stands.
// Blank lines are no records.
std::vector<CSV_Record> Parse_CSV(std::string_view text, char separator = ',');

// A date as the user writes it, e.g. the locale's short date; none when the
// text is no date.
using Date_Reader = std::function<std::optional<Civil_Date>(std::string_view)>;

// "YYYY-MM-DD" (ISO 8601, month and day also in one digit), or none.
std::optional<Civil_Date> Read_ISO_Date(std::string_view text);

inline constexpr int Listed_Skipped_Rows = 5;

struct CSV_Import_Result {
    // Set when the header lacks a required column: nothing was imported.
    std::string Header_Error;
    int Imported = 0;
    // Of those imported, the entries without a year.
    int Without_Year = 0;
    // Rows that were not taken: a bad date, no name, a field count unlike
    // the header's, or an unterminated quote.
    int Skipped = 0;
    // The first Listed_Skipped_Rows of them, as file rows (the header is 1).
    std::vector<int> First_Skipped_Rows;
    // Good rows that did not fit into the list.
    bool Had_Too_Many = false;
    // Texts cut to the longest a field holds, or with bytes the data file
    // cannot hold made blanks.
    Field_Repairs Repairs;
};

// Appends the CSV text's entries to the list while it has room. Fields are
// separated by ",", else by ";" or a tab where only that gives a header with
// Name and Date. Columns are found by header name (any order and case, surrounding blanks ignored);
// the derived columns are ignored, Name and Date are required. In a file with
// the export's own header, the quote the export puts before a text that
// spreadsheets would run as a formula is taken off again. Dates are ISO 8601 or whatever
// `local_date` reads; a month and day without a year ("--MM-DD", or what
// `local_date_without_year` reads) gives a year-less entry. An empty event
// type is "Birthday". Line breaks inside fields become LF, which
// the data file keeps. Bytes that are not UTF-8 are kept as they are: the window shows them as text
// from Windows.
CSV_Import_Result Import_CSV(Event_List& list, std::string_view text, const Date_Reader& local_date,
                             const Date_Reader& local_date_without_year = {});

}  // namespace tessaly
