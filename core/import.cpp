#include "core/import.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "core/errors.h"
#include "core/text_encoding.h"

namespace tessaly {

namespace {

int To_Integer(const std::string& field) {
    int value = 0;
    const char* const end = field.data() + field.size();
    const auto [stop, error] = std::from_chars(field.data(), end, value);
    // from_chars takes no blanks or "+", and an empty field fails.
    if (field.empty() || error != std::errc{} || stop != end) {
        throw Convert_Error("'" + Escape_For_Message(field) + "' is not a valid integer value");
    }
    return value;
}

// As much of a line as a message shows: a file that is not the sibling
// program's can hold lines of any length.
constexpr std::size_t Shown_Line_Length = 80;

}  // namespace

Sibling_Line_Error::Sibling_Line_Error(const Convert_Error& error, std::size_t line_number,
                                       std::string_view line)
    : Convert_Error(error.what()), line_number_(line_number) {
    const bool cut_short = line.size() > Shown_Line_Length;
    const std::string_view shown =
        cut_short ? line.substr(0, Character_Boundary(line, Shown_Line_Length)) : line;
    quoted_line_ = "'" + Escape_For_Message(shown) + (cut_short ? "..." : "") + "'";
}

std::string Extract_Between(std::string_view text, std::string_view delimiter) {
    if (text.empty() || delimiter.empty()) {
        return {};
    }
    const std::size_t first = text.find(delimiter);
    if (first == std::string_view::npos) {
        return {};
    }
    std::string_view rest = text.substr(first + delimiter.size());
    const std::size_t second = rest.find(delimiter);
    if (second != std::string_view::npos) {
        rest = rest.substr(0, second);
    }
    return std::string(rest);
}

std::string Nth_Field(int n, std::string_view delimiter, std::string_view text) {
    if (n <= 0 || delimiter.empty() || text.empty()) {
        return {};
    }
    std::string_view s = text;
    for (int i = 1; i <= n; ++i) {
        const std::size_t at = s.find(delimiter);
        if (i < n) {
            if (at != std::string_view::npos) {
                s.remove_prefix(at + delimiter.size());
            } else if (i > 1) {
                s = {};
            }
        } else if (at != std::string_view::npos) {
            s = s.substr(0, at);
        }
    }
    return std::string(s);
}

std::vector<std::string_view> Split_Sibling_Lines(std::string_view content) {
    std::vector<std::string_view> lines;
    // Counted first: growing the vector would copy a large file's lines
    // several times over.
    lines.reserve(static_cast<std::size_t>(std::count(content.begin(), content.end(), '\n')) + 1);
    const char* const end = content.data() + content.size();
    const char* start = content.data();
    while (start != end) {
        // A plain loop: find_first_of tests each byte against the set.
        const char* stop = start;
        while (stop != end && *stop != '\r' && *stop != '\n') {
            ++stop;
        }
        lines.emplace_back(start, static_cast<std::size_t>(stop - start));
        if (stop == end) {
            break;
        }
        if (*stop == '\r' && stop + 1 != end && stop[1] == '\n') {
            ++stop;
        }
        start = stop + 1;
    }
    return lines;
}

void Import_Lines::Clear() {
    // Gives the memory of a large file back at once.
    std::vector<std::string_view>().swap(lines_);
    std::string().swap(bytes_);
}

void Import_Lines::Assign(std::string bytes) {
    Clear();
    bytes_ = std::move(bytes);
    lines_ = Split_Sibling_Lines(bytes_);
}

TName_And_Event_Data Parse_Sibling_Line(std::string_view line, Field_Repairs& repairs) {
    const std::string date_text = Extract_Between(line, "#");
    TName_And_Event_Data entry;
    entry.Name = Storable_Text(Extract_Between(line, "\""), repairs);
    const int year = To_Integer(Nth_Field(1, "-", date_text));
    const int month = To_Integer(Nth_Field(2, "-", date_text));
    const int day = To_Integer(Nth_Field(3, "-", date_text));
    entry.Orig_Date = Encode_Date(year, month, day);
    entry.Event_Type = "birthday";
    return entry;
}

TName_And_Event_Data Parse_Sibling_Line(std::string_view line) {
    Field_Repairs repairs;
    return Parse_Sibling_Line(line, repairs);
}

int Append_Sibling_Lines(Event_List& list, const std::vector<std::string_view>& lines,
                         Field_Repairs& repairs) {
    int taken = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (list.Is_Full()) {
            continue;
        }
        // Parsed before it is appended: a bad line leaves no half-filled
        // entry behind.
        TName_And_Event_Data entry;
        try {
            entry = Parse_Sibling_Line(lines[i], repairs);
        } catch (const Convert_Error& error) {
            throw Sibling_Line_Error(error, i + 1, lines[i]);
        }
        list.Append() = std::move(entry);
        ++taken;
    }
    return taken;
}

int Append_Sibling_Lines(Event_List& list, const std::vector<std::string_view>& lines) {
    Field_Repairs repairs;
    return Append_Sibling_Lines(list, lines, repairs);
}

}  // namespace tessaly
