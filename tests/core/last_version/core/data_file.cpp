#include "core/data_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <system_error>

#include "core/atomic_file.h"
#include "core/dates.h"
#include "core/text_encoding.h"

namespace tessaly {

namespace {

constexpr const char* Invalid_Numeric_Input = "Invalid numeric input";
constexpr const char* Line_End = "\r\n";
constexpr char Carriage_Return = '\r';
constexpr char Line_Feed = '\n';
constexpr char End_Of_File_Mark = '\x1a';
constexpr std::size_t Count_Token_Limit = 32;
constexpr std::size_t Date_Token_Limit = 64;

bool Is_Digit(char c) {
    return c >= '0' && c <= '9';
}

// Bytes 0..32 separate number tokens; bytes above 127 are ordinary characters.
bool Is_Separator(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// Optional sign and at least one digit, nothing else; from_chars refuses a
// leading "+", so it is taken off here.
std::optional<std::int32_t> Parse_Whole_Number(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return std::nullopt;
        }
    }
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// [+-] digits [. digits] [(e|E) [+-] digits], with a digit on at least one
// side of the point.
bool Is_Decimal_Real(std::string_view text) {
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t start = i;
        while (i < text.size() && Is_Digit(text[i])) {
            ++i;
        }
        return i - start;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    std::size_t mantissa_digits = digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        mantissa_digits += digits();
    }
    if (mantissa_digits == 0) {
        return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        if (digits() == 0) {
            return false;
        }
    }
    return i == text.size();
}

// Reads the file's bytes by the rules of the format.
class Reader {
public:
    explicit Reader(std::string_view bytes)
        : bytes_(bytes.substr(0, bytes.find(End_Of_File_Mark))),
          // Files edited or synced on Linux may have lost every CR; with none
          // at all, LF ends the lines, as nothing else could.
          line_end_(bytes_.find(Carriage_Return) == std::string_view::npos ? Line_Feed
                                                                           : Carriage_Return) {}

    // A line without its end; empty at the end of the file.
    std::string Read_Line() {
        const std::size_t start = pos_;
        while (pos_ < bytes_.size() && bytes_[pos_] != line_end_) {
            ++pos_;
        }
        std::string line(bytes_.substr(start, pos_ - start));
        Skip_Line_End();
        return line;
    }

    // Skips separators (across lines), takes the following run of other bytes
    // up to the limit and skips the rest of its line. Empty at the end of the
    // file.
    std::string_view Read_Token(std::size_t limit) {
        while (pos_ < bytes_.size() && Is_Separator(bytes_[pos_])) {
            ++pos_;
        }
        const std::size_t start = pos_;
        while (pos_ < bytes_.size() && pos_ - start < limit && !Is_Separator(bytes_[pos_])) {
            ++pos_;
        }
        const std::string_view token = bytes_.substr(start, pos_ - start);
        Read_Line();
        return token;
    }

    bool At_End() const { return pos_ >= bytes_.size(); }

    // Whether anything but separators (blanks, tabs, line ends) is left.
    bool Only_Separators_Left() const {
        return std::all_of(bytes_.begin() + static_cast<std::ptrdiff_t>(pos_), bytes_.end(),
                           Is_Separator);
    }

private:
    void Skip_Line_End() {
        if (pos_ < bytes_.size() && bytes_[pos_] == line_end_) {
            ++pos_;
            if (line_end_ == Carriage_Return && pos_ < bytes_.size() && bytes_[pos_] == Line_Feed) {
                ++pos_;
            }
        }
    }

    std::string_view bytes_;
    char line_end_;
    std::size_t pos_ = 0;
};

// A UTF-8 byte-order mark, as editors on Windows put before the text.
constexpr std::string_view Utf8_Byte_Order_Mark = "\xEF\xBB\xBF";

// The text without a leading UTF-8 mark. UTF-16 text (a mark of its own, or
// the NUL bytes that its ASCII characters bring) would be misread byte by
// byte, and saving the misread list would destroy the file, so it is refused.
std::string_view Text_Of_File(std::string_view bytes) {
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
        throw Format_Error(
            "The data file is UTF-16 (\"Unicode\") text, which cannot be read as it stands; "
            "save it again as ANSI or UTF-8 text.");
    }
    if (bytes.substr(0, Utf8_Byte_Order_Mark.size()) == Utf8_Byte_Order_Mark) {
        bytes.remove_prefix(Utf8_Byte_Order_Mark.size());
    }
    if (bytes.substr(0, bytes.find(End_Of_File_Mark)).find('\0') != std::string_view::npos) {
        throw Format_Error(
            "The data file holds NUL bytes, as UTF-16 (\"Unicode\") and binary files do; "
            "only ANSI or UTF-8 text can be read.");
    }
    return bytes;
}

int Read_Count_Token(Reader& reader) {
    const std::string_view token = reader.Read_Token(Count_Token_Limit);
    if (token.empty()) {
        return 0;
    }
    const auto count = Parse_Whole_Number(token);
    if (!count) {
        throw Convert_Error(Invalid_Numeric_Input);
    }
    return *count;
}

int Parse_First_Line_Count(const std::string& line) {
    const std::string_view text = Trimmed(line);
    const auto count = Parse_Whole_Number(text);
    if (!count) {
        // A file that is not ours can make this line arbitrarily long; the
        // message shows its start.
        constexpr std::size_t Shown_Length = 80;
        std::string shown = Ascii_Upper_Case(line);
        bool cut_short = false;
        if (shown.size() > Shown_Length) {
            shown.resize(Character_Boundary(shown, Shown_Length));
            cut_short = true;
        }
        throw Convert_Error("'" + Escape_For_Message(shown) + (cut_short ? "..." : "") +
                            "' is not a valid integer value");
    }
    return *count;
}

Day_Number Read_Date_Token(Reader& reader) {
    const std::string_view token = reader.Read_Token(Date_Token_Limit);
    return token.empty() ? 0 : Parse_Date_Token(token);
}

// What the file's count said against what the file held.
struct Count_Check {
    int Count = 0;
    // Entries whose date the file held; fewer than Count when it ended early.
    int Found = 0;
    // Text follows the last entry counted.
    bool More_Follow = false;

    bool Agrees() const { return Found == Count && !More_Follow; }
};

Count_Check Read_Entries(std::string_view bytes, Event_List& list, const Load_Options& options) {
    Reader reader(Text_Of_File(bytes));
    const std::string first_line = reader.Read_Line();
    const bool is_v1_1 = Ascii_Upper_Case(first_line).find('V') != std::string::npos;
    int count = is_v1_1 ? Read_Count_Token(reader) : Parse_First_Line_Count(first_line);

    if (count < 0) {
        count = 0;
    }
    const bool cut_to_size = count >= Event_Array_Size;
    if (cut_to_size) {
        if (options.On_Capacity_Cut) {
            options.On_Capacity_Cut();
        }
        count = Event_Array_Size;
    }

    // Fixed before the entries are read: a failure part-way leaves this count
    // with the entries read so far and blank ones after them.
    list.Set_Event_Count(count);
    int found = count;
    for (int position = 1; position <= count; ++position) {
        TName_And_Event_Data& entry = list.At(position);
        entry.Name = reader.Read_Line();
        // Ended before this entry's date: the rest are blanks the file never held.
        if (reader.At_End() && found == count) {
            found = position - 1;
        }
        entry.Orig_Date = Read_Date_Token(reader);
        entry.Event_Type = reader.Read_Line();
        if (is_v1_1) {
            entry.Comments = reader.Read_Line();
            entry.Spare_1 = reader.Read_Line();
            entry.Spare_2 = reader.Read_Line();
            entry.Spare_3 = reader.Read_Line();
            entry.Spare_4 = reader.Read_Line();
        }
    }
    Count_Check check{count, found, false};
    // Entries beyond a count cut to the list's size were already announced.
    if (!cut_to_size && !reader.Only_Separators_Left()) {
        check.More_Follow = true;
    }
    return check;
}

// The day a written date text stands for.
double Whole_Day_Of_Text(std::string_view text) {
    double value = 0;
    const std::string_view number = text.front() == ' ' ? text.substr(1) : text;
    std::from_chars(number.data(), number.data() + number.size(), value,
                    std::chars_format::general);
    return std::trunc(value);
}

std::filesystem::path Copy_Name(const std::filesystem::path& file, const char* suffix, int number) {
    std::filesystem::path name = file;
    name += suffix;
    if (number > 1) {
        name += "-" + std::to_string(number);
    }
    return name;
}

// Puts the bytes aside under the first free copy name, or returns an earlier
// copy that holds the same bytes, so that repeated start-ups with the same
// broken file keep one copy. Never replaces another copy. The copy is as
// private as the file.
std::filesystem::path Keep_Copy(const std::filesystem::path& file, const char* suffix,
                                std::string_view bytes) {
    constexpr int Most_Copies = 1000;
    for (int number = 1; number <= Most_Copies; ++number) {
        const std::filesystem::path copy = Copy_Name(file, suffix, number);
        std::error_code error;
        const auto status = std::filesystem::symlink_status(copy, error);
        if (error && status.type() != std::filesystem::file_type::not_found) {
            throw File_Error("Cannot save \"" + copy.string() + "\": " + error.message());
        }
        if (status.type() == std::filesystem::file_type::not_found) {
            Atomic_Write_Options private_copy;
            private_copy.Mode_Of = file;
            Write_File_Atomically(copy, bytes, private_copy);
            return copy;
        }
        if (status.type() == std::filesystem::file_type::regular) {
            try {
                if (Read_Whole_File(copy) == bytes) {
                    return copy;
                }
            } catch (const File_Error&) {
                // Taken by a copy we cannot look into: try the next name.
            }
        }
    }
    throw File_Error("Cannot save a copy of \"" + file.string() +
                     "\": " + std::to_string(Most_Copies) + " copies exist already");
}

[[noreturn]] void Throw_Load_Error(const std::filesystem::path& file, const std::string& reason,
                                   const std::optional<std::string>& bytes,
                                   const Load_Options& options) {
    if (!options.Keep_Unreadable_Copy) {
        throw Load_Error(reason, reason, std::nullopt);
    }
    std::string message = reason + Message_Line_Break + Message_Line_Break;
    std::optional<std::filesystem::path> copy;
    if (!bytes) {
        // Nothing could be read, so there is nothing to copy.
        message += "\"" + file.string() + "\" is unchanged.";
    } else {
        try {
            copy = Keep_Copy(file, ".unreadable", *bytes);
            message += "The data file could not be read; its content was kept unchanged in \"" +
                       copy->string() + "\".";
        } catch (const File_Error& copy_error) {
            message += "The data file could not be read, and no copy of it could be kept (" +
                       std::string(copy_error.what()) + "). \"" + file.string() +
                       "\" itself is unchanged.";
        }
    }
    // The window keeps that promise: it never writes over a file it could
    // not read.
    message += std::string(Message_Line_Break) + Message_Line_Break +
               "It is not written over until it can be read again; after mending it, use "
               "\"Undo Recent Delete(s) / Reset(s) - Reload Data from File\" in the Data menu.";
    throw Load_Error(message, reason, copy);
}

std::string Entries_Text(int count) {
    return std::to_string(count) + (count == 1 ? " entry" : " entries");
}

// Tells the user, through the option, where the count and the entries
// disagree; the window first keeps the file as it was.
void Report_Count_Mismatch(const std::filesystem::path& file, std::string_view bytes,
                           const Count_Check& check, const Load_Options& options) {
    if (check.Agrees() || !options.On_Count_Mismatch) {
        return;
    }
    std::string message =
        "The data file \"" + file.string() + "\" says it holds " + Entries_Text(check.Count) + ", ";
    if (check.Found < check.Count) {
        message += "but it ends after " + std::to_string(check.Found) + ". The list shows " +
                   Entries_Text(check.Count - check.Found) +
                   " more without a name or date, which the next save writes to the file.";
    } else {
        message +=
            "but more text follows the last of them. That text was not loaded, and the "
            "next save leaves it out of the file.";
    }
    if (options.Keep_Unreadable_Copy) {
        message += std::string(Message_Line_Break) + Message_Line_Break;
        try {
            message += "The file as it was is kept in \"" +
                       Keep_Copy(file, ".mismatched", bytes).string() + "\".";
        } catch (const File_Error& copy_error) {
            message += "No copy of the file as it was could be kept (" +
                       std::string(copy_error.what()) + ").";
        }
    }
    options.On_Count_Mismatch(message);
}

}  // namespace

std::filesystem::path Data_File_Path(const std::filesystem::path& folder) {
    return folder / Data_File_Name;
}

std::string Format_Date_Text(Day_Number date) {
    if (!std::isfinite(date)) {
        return std::isnan(date) ? "NAN" : (date < 0 ? "-INF" : "INF");
    }
    if (date == 0) {
        return " 0.00000000000000E+0000";
    }
    // The first sixteen significant digits of the double's exact value,
    // truncated, so that the sixteenth decides the rounding half up; printf
    // would round a tie to even. to_chars keeps the decimal point out of the
    // locale's hands.
    const double magnitude = std::fabs(date);
    std::string first_digits;
    int exponent = 0;
    if (magnitude < 1e15 && magnitude == std::floor(magnitude)) {
        // Whole days, the usual case, are exact as integers.
        first_digits = std::to_string(static_cast<std::int64_t>(magnitude));
        exponent = static_cast<int>(first_digits.size()) - 1;
    } else {
        constexpr int Exact_Digits = 767;  // enough for any double
        char exact[800];
        const auto written = std::to_chars(exact, exact + sizeof exact, magnitude,
                                           std::chars_format::scientific, Exact_Digits);
        // exact: "d.ddd...de+xx"
        first_digits.assign(1, exact[0]).append(exact + 2, 15);
        exponent =
            std::atoi(std::string(std::find(exact, written.ptr, 'e') + 1, written.ptr).c_str());
    }
    first_digits.resize(16, '0');
    constexpr std::int64_t Fifteen_Digits_Carry = 1'000'000'000'000'000;

    const std::int64_t truncated = std::stoll(first_digits.substr(0, 15));
    const auto text_of = [date](std::int64_t mantissa, int power) {
        if (mantissa == Fifteen_Digits_Carry) {
            mantissa /= 10;
            ++power;
        }
        const std::string digits = std::to_string(mantissa);
        char text[32];
        std::snprintf(text, sizeof text, "%c%c.%sE%c%04d", date < 0 ? '-' : ' ', digits[0],
                      digits.c_str() + 1, power < 0 ? '-' : '+', std::abs(power));
        return std::string(text);
    };
    if (first_digits[15] < '5') {
        return text_of(truncated, exponent);
    }
    // Rounding up must not carry the value into the next day (35839.99999999999
    // would be read back as 35840, 2958465.999999999 as a day past year 9999):
    // then the digits are cut instead.
    const std::string rounded = text_of(truncated + 1, exponent);
    return Whole_Day_Of_Text(rounded) == std::trunc(date) ? rounded : text_of(truncated, exponent);
}

Day_Number Parse_Date_Token(std::string_view token) {
    if (!Is_Decimal_Real(token)) {
        throw Convert_Error(Invalid_Numeric_Input);
    }
    if (token.front() == '+') {
        token.remove_prefix(1);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value,
                                              std::chars_format::general);
    if (error != std::errc() || end != token.data() + token.size() ||
        !Is_Day_Number_In_Range(value)) {
        throw Convert_Error(Invalid_Numeric_Input);
    }
    return value;
}

std::string Serialise_Data_File(const Event_List& list) {
    std::string out;
    const auto add_line = [&out](std::string_view text) {
        const std::size_t start = out.size();
        out += text;
        // A CR would end the line early and Ctrl-Z the whole file when read
        // back, shifting or dropping every later entry; no input of the
        // program makes either, so a blank stands in for them.
        for (std::size_t i = start; i < out.size(); ++i) {
            if (out[i] == Carriage_Return || out[i] == End_Of_File_Mark) {
                out[i] = ' ';
            }
        }
        out += Line_End;
    };
    add_line("V1.1");
    add_line(std::to_string(list.Event_Count()));
    for (const TName_And_Event_Data& entry : list.Entries()) {
        add_line(entry.Name);
        add_line(Format_Date_Text(entry.Orig_Date));
        add_line(entry.Event_Type);
        add_line(entry.Comments);
        add_line(entry.Spare_1);
        add_line(entry.Spare_2);
        add_line(entry.Spare_3);
        add_line(entry.Spare_4);
    }
    return out;
}

void Parse_Data_File(std::string_view bytes, Event_List& list, const Load_Options& options) {
    list.Initialise_Entire_Array_ButtonClick();
    Read_Entries(bytes, list, options);
}

void Check_Loadable(std::string_view bytes, int event_count) {
    if (bytes.size() > Largest_Readable_File) {
        constexpr std::size_t Mebibyte = 1024 * 1024;
        throw Unsaveable_List_Error(
            "The list was not saved: as a data file it would take " +
            std::to_string((bytes.size() + Mebibyte - 1) / Mebibyte) +
            " MiB, and Tessaly reads data files of at most " +
            std::to_string(Largest_Readable_File / Mebibyte) +
            " MiB. Shorten long comments or remove entries, then save again.");
    }
    Event_List read_back;
    try {
        Parse_Data_File(bytes, read_back, {});
    } catch (const Tessaly_Error& error) {
        throw Unsaveable_List_Error(
            "The list was not saved: Tessaly could not read it back from the data file (" +
            std::string(error.what()) + ").");
    }
    if (read_back.Event_Count() != event_count) {
        throw Unsaveable_List_Error("The list was not saved: the data file would read back as " +
                                    Entries_Text(read_back.Event_Count()) + ", not " +
                                    Entries_Text(event_count) + ".");
    }
}

void Save_Data_To_File_ButtonClick(const Event_List& list, const std::filesystem::path& file,
                                   const Save_Options& options) {
    const std::string bytes = Serialise_Data_File(list);
    Check_Loadable(bytes, list.Event_Count());
    Atomic_Write_Options write_options;
    write_options.Keep_Backup = options.Keep_Backup;
    Write_File_Atomically(file, bytes, write_options);
}

Load_Result Load_Data_From_File_ButtonClick(Event_List& list, const std::filesystem::path& file,
                                            const Load_Options& options) {
    list.Initialise_Entire_Array_ButtonClick();

    std::error_code status_error;
    if (std::filesystem::status(file, status_error).type() ==
        std::filesystem::file_type::not_found) {
        return Load_Result::No_File;
    }

    std::optional<std::string> bytes;
    Count_Check check;
    try {
        bytes = Read_Whole_File(file);
        check = Read_Entries(*bytes, list, options);
    } catch (const Tessaly_Error& error) {
        Throw_Load_Error(file, error.what(), bytes, options);
    }
    Report_Count_Mismatch(file, *bytes, check, options);
    return Load_Result::Loaded;
}

}  // namespace tessaly
