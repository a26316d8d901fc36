#include "report/report_builder.h"

#include <cstddef>
#include <utility>

#include "core/dates.h"
#include "core/program_identity.h"
#include "core/text_encoding.h"

namespace tessaly {

namespace {

constexpr const char* Heading_Text = "Coming Birthdays and Events Report.";
constexpr std::size_t Web_Address_Indent = 22;
// The highlight covers the name and the "'s " that follows it.
constexpr std::size_t Highlight_Extra_Characters = 3;

Char_Format Regular() {
    return {};
}

Char_Format Bold() {
    Char_Format format;
    format.Bold = true;
    return format;
}

Char_Format Heading() {
    Char_Format format;
    format.Bold = true;
    format.Underline = true;
    format.Point_Size = Report_Heading_Point_Size;
    return format;
}

Char_Format Highlight() {
    Char_Format format;
    format.Bold = true;
    format.Colour = Report_Highlight_Colour;
    return format;
}

Report_Paragraph Empty_Paragraph(const Char_Format& mark = Regular()) {
    Report_Paragraph paragraph;
    paragraph.Mark_Format = mark;
    return paragraph;
}

Report_Paragraph Text_Paragraph(std::string text, const Char_Format& format = Regular(),
                                Paragraph_Alignment alignment = Paragraph_Alignment::Left) {
    Report_Paragraph paragraph;
    paragraph.Alignment = alignment;
    paragraph.Mark_Format = format;
    paragraph.Runs.push_back({std::move(text), format});
    return paragraph;
}

bool Is_Continuation_Byte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The byte offset `characters` code points on from `from`, or the text's end.
std::size_t Advance_Characters(const std::string& text, std::size_t from, std::size_t characters) {
    std::size_t position = from;
    while (characters > 0 && position < text.size()) {
        ++position;
        while (position < text.size() && Is_Continuation_Byte(text[position])) {
            ++position;
        }
        --characters;
    }
    return position;
}

std::string Dated(Day_Number date, const Short_Date_Formatter& short_date) {
    return Day_Name_Of(date) + ", " + Format_Short_Date(short_date, date);
}

std::string Right_Aligned(int number, std::size_t width) {
    std::string text = std::to_string(number);
    if (text.size() < width) {
        text.insert(0, width - text.size(), ' ');
    }
    return text;
}

std::string When_Phrase(std::int32_t days_left) {
    if (days_left == 0) {
        return "today";
    }
    if (days_left == 1) {
        return "tomorrow";
    }
    return "in " + std::to_string(days_left) + " days";
}

// The line with its first occurrence of the name, plus three characters,
// bold and blue. The search is the line's own, so a name that also occurs
// earlier (a name "1" at position 1) is highlighted there, and an empty name
// is found at the start.
Report_Paragraph Entry_Paragraph(const std::string& line, const std::string& display_name) {
    std::size_t start = line.find(display_name);
    if (start == std::string::npos) {
        start = line.size();
    }
    const std::size_t name_end = start + display_name.size();
    const std::size_t end = Advance_Characters(line, name_end, Highlight_Extra_Characters);

    Report_Paragraph paragraph = Empty_Paragraph();
    if (start > 0) {
        paragraph.Runs.push_back({line.substr(0, start), Regular()});
    }
    if (end > start) {
        paragraph.Runs.push_back({line.substr(start, end - start), Highlight()});
    }
    if (end < line.size()) {
        paragraph.Runs.push_back({line.substr(end), Regular()});
    }
    return paragraph;
}

}  // namespace

std::string Report_Paragraph::Plain_Text() const {
    std::string text;
    for (const Text_Run& run : Runs) {
        text += run.Text;
    }
    return text;
}

std::string Report_Document::Plain_Text() const {
    std::string text;
    for (std::size_t i = 0; i < Paragraphs.size(); ++i) {
        if (i > 0) {
            text += '\n';
        }
        text += Paragraphs[i].Plain_Text();
    }
    return text;
}

std::string Report_Entry_Line(int position, const TName_And_Event_Data& entry,
                              const Short_Date_Formatter& short_date) {
    std::string line = " ";
    line += Right_Aligned(position, 4);
    line += ".  ";
    line += To_Display_UTF8(entry.Name);
    line += "'s ";
    // An entry without a year has no age to tell.
    if (!entry.Year_Unknown) {
        line += std::to_string(entry.Age_Next);
        line += Ordinal_Suffix(entry.Age_Next);
        line += ' ';
    }
    line += To_Display_UTF8(entry.Event_Type);
    line += ' ';
    line += When_Phrase(entry.Days_Left);
    line += " (";
    line += Dated(entry.Next_Event, short_date);
    line += ')';
    return line;
}

bool Is_Reported(const TName_And_Event_Data& entry, int threshold) {
    return entry.Days_Left <= (entry.Own_Lead > 0 ? entry.Own_Lead : threshold);
}

void Order_For_Report(Event_List& list, int user_sort_column, int user_sort_order) {
    Sort_Data_BitBtnClick(list, user_sort_column, user_sort_order);
    Sort_Data_BitBtnClick(list, Report_Sort_Column, Report_Sort_Order);
}

Report_Document Build_Coming_Events_Report(const Report_Inputs& inputs) {
    Report_Document document;
    auto& paragraphs = document.Paragraphs;
    const int entry_count = inputs.List != nullptr ? inputs.List->Event_Count() : 0;
    paragraphs.reserve(static_cast<std::size_t>(entry_count) + 18);

    paragraphs.push_back(Empty_Paragraph());
    paragraphs.push_back(Text_Paragraph(Heading_Text, Heading(), Paragraph_Alignment::Centre));
    paragraphs.push_back(Empty_Paragraph());
    paragraphs.push_back(
        Text_Paragraph("    Timeframe:  Birthdays and Events occuring in the next " +
                       std::to_string(inputs.Threshold) + " days."));
    paragraphs.push_back(Empty_Paragraph());
    paragraphs.push_back(
        Text_Paragraph("     Valid at:  " + Dated(inputs.Today, inputs.Short_Date)));
    paragraphs.push_back(Empty_Paragraph());
    paragraphs.push_back(Text_Paragraph(" Sorted Order:  Days Left, Ascending Order."));
    paragraphs.push_back(Empty_Paragraph());
    paragraphs.push_back(Text_Paragraph(" Events :"));
    paragraphs.push_back(Empty_Paragraph());

    int found = 0;
    if (inputs.List != nullptr) {
        for (const TName_And_Event_Data& entry : inputs.List->Entries()) {
            if (!Is_Reported(entry, inputs.Threshold)) {
                continue;
            }
            // Numbered among the listed lines: an entry listed for its own
            // lead may follow nearer ones that are not listed.
            ++found;
            paragraphs.push_back(Entry_Paragraph(Report_Entry_Line(found, entry, inputs.Short_Date),
                                                 To_Display_UTF8(entry.Name)));
        }
    }
    document.Events_Found = found;

    paragraphs.push_back(Empty_Paragraph());
    std::string count_line = " ";
    count_line += std::to_string(found);
    count_line += " events found and reported.";
    paragraphs.push_back(Text_Paragraph(std::move(count_line)));
    paragraphs.push_back(Empty_Paragraph());
    paragraphs.push_back(Text_Paragraph(std::string(Report_Courtesy_Label) + Program_Title));
    paragraphs.push_back(
        Text_Paragraph(std::string(Web_Address_Indent, ' ') + inputs.Web_Address, Bold()));
    // The bold set for the address line is never taken back.
    paragraphs.push_back(Empty_Paragraph(Bold()));
    return document;
}

}  // namespace tessaly
