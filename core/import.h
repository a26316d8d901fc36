#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/errors.h"
#include "core/event_list.h"
#include "core/field_limits.h"

namespace tessaly {

// The text between the first and the second occurrence of the delimiter (or
// all after the first, when there is no second); empty when the text or the
// delimiter is empty or the delimiter does not occur.
std::string Extract_Between(std::string_view text, std::string_view delimiter);

// Field n (from 1) of the text split at the delimiter; empty for n = 0, an
// empty delimiter or text, or a field past the last.
std::string Nth_Field(int n, std::string_view delimiter, std::string_view text);

// Splits the sibling program's file into lines at CR, LF or CR LF; a final
// line break does not make an empty last line. The lines are views of the
// content.
std::vector<std::string_view> Split_Sibling_Lines(std::string_view content);

// The lines of one file for the length of one import: its bytes are held
// once, and the lines are views of them, so that a large file costs little
// more than its size.
class Import_Lines {
public:
    Import_Lines() = default;
    // The views point into this object's own bytes.
    Import_Lines(const Import_Lines&) = delete;
    Import_Lines& operator=(const Import_Lines&) = delete;

    void Clear();
    // Takes the file's bytes and splits them as Split_Sibling_Lines does.
    void Assign(std::string bytes);
    std::size_t Count() const { return lines_.size(); }
    const std::vector<std::string_view>& Lines() const { return lines_; }

private:
    std::string bytes_;
    std::vector<std::string_view> lines_;
};

// One line of the sibling program's file as a "birthday" entry: the name
// between the first two double quotes, the date year-month-day between the
// first two "#". Throws Convert_Error with "'%s' is not a valid integer value"
// or "Invalid argument to date encode". The name is made storable
// (Storable_Text), and what that changed is added to `repairs`.
TName_And_Event_Data Parse_Sibling_Line(std::string_view line, Field_Repairs& repairs);
TName_And_Event_Data Parse_Sibling_Line(std::string_view line);

// A line of the sibling program's file that could not be taken: the
// conversion error as Parse_Sibling_Line reports it, and where it stopped.
class Sibling_Line_Error : public Convert_Error {
public:
    Sibling_Line_Error(const Convert_Error& error, std::size_t line_number, std::string_view line);
    // From 1, as an editor counts the file's lines.
    std::size_t Line_Number() const { return line_number_; }
    // The line as read, quoted and written out as the data file's messages
    // quote a text: invisible bytes escaped, a long line cut with "...".
    const std::string& Quoted_Line() const { return quoted_line_; }

private:
    std::size_t line_number_;
    std::string quoted_line_;
};

// Appends each line as an entry while the list has room, and visits the
// lines past that without taking them. Returns how many were taken. A bad
// line throws Sibling_Line_Error, whose text is Parse_Sibling_Line's; it
// appends nothing, and the entries of the lines before it stay in the list.
int Append_Sibling_Lines(Event_List& list, const std::vector<std::string_view>& lines,
                         Field_Repairs& repairs);
int Append_Sibling_Lines(Event_List& list, const std::vector<std::string_view>& lines);

}  // namespace tessaly
