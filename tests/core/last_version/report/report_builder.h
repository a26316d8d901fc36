#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/event_list.h"
#include "core/short_date.h"
#include "core/sorting.h"

namespace tessaly {

// The report as a document: the window renders it as rich text, the terminal
// tool as plain or ANSI-coloured text. All texts are UTF-8 (entry texts are
// converted for display as they are added).
struct Char_Format {
    bool Bold = false;
    bool Underline = false;
    // 0xRRGGBB; none means the view's default text colour.
    std::optional<std::uint32_t> Colour;
    int Point_Size = 10;

    bool operator==(const Char_Format&) const = default;
};

struct Text_Run {
    std::string Text;
    Char_Format Format;

    bool operator==(const Text_Run&) const = default;
};

enum class Paragraph_Alignment { Left, Centre };

struct Report_Paragraph {
    Paragraph_Alignment Alignment = Paragraph_Alignment::Left;
    // An empty paragraph has no runs; its height follows Mark_Format.
    std::vector<Text_Run> Runs;
    Char_Format Mark_Format;

    std::string Plain_Text() const;
};

struct Report_Document {
    std::vector<Report_Paragraph> Paragraphs;
    // Number of entries reported.
    int Events_Found = 0;

    // One line per paragraph, "\n" between lines.
    std::string Plain_Text() const;
};

inline constexpr int Report_Default_Point_Size = 10;
inline constexpr int Report_Heading_Point_Size = 18;
inline constexpr std::uint32_t Report_Highlight_Colour = 0x0000FF;
// Before the program title on the report's last lines.
inline constexpr const char* Report_Courtesy_Label = " Report courtesy of:  ";

// The report lists entries nearest first; entries due on the same day keep
// the order they had, which is the user's sort.
inline constexpr int Report_Sort_Column = Sort_By_Next_Event;
inline constexpr int Report_Sort_Order = Sort_Ascending;

struct Report_Inputs {
    // The list already ordered by Next_Event, its derived fields computed.
    // None reads as an empty list; refusing an empty list is the caller's job.
    const Event_List* List = nullptr;
    // Days_Left <= Threshold is reported.
    int Threshold = 14;
    Day_Number Today = 0;
    Short_Date_Formatter Short_Date;
    // Shown bold on the last line, after 22 spaces.
    std::string Web_Address;
};

Report_Document Build_Coming_Events_Report(const Report_Inputs& inputs);

// Puts a list with its derived fields computed in the report's order, as the
// window has it when it writes the report: the user's sort first (column and
// order as the window's radio groups hold them, -1 for none), then nearest
// first.
void Order_For_Report(Event_List& list, int user_sort_column, int user_sort_order);

// One entry's line without formatting, as it appears in the report (UTF-8).
std::string Report_Entry_Line(int position, const TName_And_Event_Data& entry,
                              const Short_Date_Formatter& short_date);

}  // namespace tessaly
