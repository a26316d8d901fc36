// The sibling program's file: any bytes as its content, line by line, and the
// field helpers with a delimiter and field number taken from the input.

#include <fuzzer/FuzzedDataProvider.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "core/dates.h"
#include "core/errors.h"
#include "core/field_limits.h"
#include "core/import.h"
#include "fuzz/fuzz_check.h"

namespace tessaly::fuzz {
namespace {

// The content with every line break (CR LF, CR or LF) made one LF and a final
// one dropped: what the lines joined with LF must give.
std::string Lines_Joined_Expected(std::string_view content) {
    std::string out;
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] == '\r') {
            out += '\n';
            if (i + 1 < content.size() && content[i + 1] == '\n') {
                ++i;
            }
        } else {
            out += content[i];
        }
    }
    if (!out.empty() && out.back() == '\n') {
        out.pop_back();
    }
    return out;
}

void Check_Split(std::string_view content, const std::vector<std::string_view>& lines) {
    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find_first_of("\r\n") != std::string_view::npos) {
            Fail("a split line holds no line break", Shown(lines[i]));
        }
        if (i > 0) {
            joined += '\n';
        }
        joined += lines[i];
    }
    Check_Same(Lines_Joined_Expected(content), joined,
               "the lines joined at their line breaks give the content");
    Check(lines.empty() == content.empty(), "only empty content has no lines");
}

int Integer_Of(const std::string& field) {
    int value = 0;
    std::from_chars(field.data(), field.data() + field.size(), value);
    return value;
}

void Check_Sibling_Line(std::string_view line) {
    TName_And_Event_Data entry;
    try {
        entry = Parse_Sibling_Line(line);
    } catch (const Convert_Error& error) {
        const std::string_view message = error.what();
        constexpr std::string_view Integer_Suffix = "' is not a valid integer value";
        const bool bad_integer = message.size() >= 1 + Integer_Suffix.size() &&
                                 message.front() == '\'' && message.ends_with(Integer_Suffix);
        Check(bad_integer || message == "Invalid argument to date encode",
              "a refused line gives one of the two conversion messages", Shown(message));
        return;
    } catch (const Tessaly_Error&) {
        return;
    } catch (const std::exception& error) {
        Fail("a refused line throws only the program's errors", error.what());
    }
    // As the data file can hold it: NUL and Ctrl-Z made blanks, at most Longest_Field bytes.
    const std::string between = Extract_Between(line, "\"");
    Field_Repairs repairs;
    Check_Same(Storable_Text(between, repairs), entry.Name, "the name is the text between quotes");
    Check(entry.Name.size() <= Longest_Field && entry.Name.find('\0') == std::string::npos &&
              entry.Name.find('\x1a') == std::string::npos,
          "the name is storable");
    if (!repairs.Any()) {
        Check_Same(between, entry.Name, "a storable name is taken unchanged");
    }
    Check_Same("birthday", entry.Event_Type, "an imported entry is a birthday");
    Check(entry.Comments.empty() && entry.Spare_1.empty() && entry.Spare_4.empty(),
          "an imported entry has no comments or spare fields");
    Check(Is_Day_Number_In_Range(entry.Orig_Date) && entry.Orig_Date == std::trunc(entry.Orig_Date),
          "an imported date is a whole day within years 1..9999");
    const std::string date_text = Extract_Between(line, "#");
    const Civil_Date date = Decode_Date(entry.Orig_Date);
    Check(date.Year == Integer_Of(Nth_Field(1, "-", date_text)) &&
              date.Month == Integer_Of(Nth_Field(2, "-", date_text)) &&
              date.Day == Integer_Of(Nth_Field(3, "-", date_text)),
          "an imported date is the year-month-day between the \"#\"", line);
}

void Check_Extract_Between(std::string_view text, std::string_view delimiter) {
    const std::string between = Extract_Between(text, delimiter);
    const std::size_t first = delimiter.empty() ? std::string_view::npos : text.find(delimiter);
    if (first == std::string_view::npos) {
        Check(between.empty(), "nothing lies between a delimiter that does not occur");
        return;
    }
    const std::string_view rest = text.substr(first + delimiter.size());
    Check(rest.starts_with(between), "the text between follows the first delimiter");
    Check(between.find(delimiter) == std::string::npos, "the text between holds no delimiter");
    const std::string_view after = rest.substr(between.size());
    Check(after.empty() || after.starts_with(delimiter),
          "the text between ends at the second delimiter or the end");
}

void Check_Nth_Field(std::string_view text, std::string_view delimiter, int n) {
    if (n <= 0 || delimiter.empty() || text.empty()) {
        Check(Nth_Field(n, delimiter, text).empty(), "no field for n <= 0 or empty arguments");
        return;
    }
    std::size_t occurrences = 0;
    for (std::size_t at = text.find(delimiter); at != std::string_view::npos;
         at = text.find(delimiter, at + delimiter.size())) {
        ++occurrences;
    }
    if (occurrences == 0) {
        // The first step keeps the whole text, the ones after it empty it.
        Check(Nth_Field(1, delimiter, text) == text && Nth_Field(2, delimiter, text) == text &&
                  Nth_Field(3, delimiter, text).empty(),
              "without a delimiter fields 1 and 2 are the text and later ones empty");
        return;
    }
    constexpr std::size_t Most_Fields_Joined = 32;
    if (occurrences < Most_Fields_Joined) {
        std::string joined;
        for (std::size_t field = 1; field <= occurrences + 1; ++field) {
            const std::string value = Nth_Field(static_cast<int>(field), delimiter, text);
            Check(value.find(delimiter) == std::string::npos, "a field holds no delimiter");
            if (field > 1) {
                joined += delimiter;
            }
            joined += value;
        }
        Check_Same(text, joined, "the fields joined with the delimiter give the text");
        Check(Nth_Field(static_cast<int>(occurrences) + 2, delimiter, text).empty(),
              "no field past the last");
    }
    const std::string nth = Nth_Field(n, delimiter, text);
    Check(nth.empty() || text.find(nth) != std::string_view::npos, "a field is part of the text");
}

}  // namespace
}  // namespace tessaly::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    using namespace tessaly::fuzz;
    const std::string_view content = Bytes_Of(data, size);
    std::vector<std::string_view> lines;
    try {
        lines = Split_Sibling_Lines(content);
    } catch (const std::exception& error) {
        Fail("splitting into lines never throws", error.what());
    }
    Check_Split(content, lines);
    for (const std::string_view line : lines) {
        Check_Sibling_Line(line);
    }

    FuzzedDataProvider provider(data, size);
    const int n = provider.ConsumeIntegralInRange<int>(-1, 6);
    const std::string delimiter = provider.ConsumeRandomLengthString(4);
    const std::string text = provider.ConsumeRemainingBytesAsString();
    Check_Extract_Between(text, delimiter);
    Check_Nth_Field(text, delimiter, n);
    return 0;
}
