// Read-modify-write of a settings file, as every close of the window does.
//
// Input: one byte choosing the key (bits 0-3 the program's key, bit 4 the key
// name in capitals, bit 5 the section name in capitals), the value up to the
// first NUL byte, then the file's bytes. Without a NUL the file is empty.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/main_settings.h"
#include "core/profile_file.h"
#include "core/text_encoding.h"
#include "fuzz/fuzz_check.h"

namespace tessaly::fuzz {
namespace {

// The keys Read_Main_Settings reads, in its order.
constexpr const auto& Program_Keys = Main_Settings_Keys;
constexpr int Name_Key = 10;
constexpr int Event_Type_Key = 12;
static_assert(std::string_view(Program_Keys[Name_Key]) == settings_keys::Name_Key);
static_assert(std::string_view(Program_Keys[Event_Type_Key]) == settings_keys::Event_Type_Key);
constexpr Day_Number Today = 45000;

// The setting that key `key` of Program_Keys holds is the same in both.
bool Same_Setting(const Main_Settings& a, const Main_Settings& b, int key) {
    switch (key) {
        case 0:
            return a.Window_Top == b.Window_Top;
        case 1:
            return a.Window_Left == b.Window_Left;
        case 2:
            return a.Window_Width == b.Window_Width;
        case 3:
            return a.Window_Height == b.Window_Height;
        case 4:
            return a.Always_On_Top == b.Always_On_Top;
        case 5:
            return a.Auto_Run_At_Windows_Startup == b.Auto_Run_At_Windows_Startup;
        case 6:
            return a.Window_Maximized == b.Window_Maximized;
        case 7:
            return a.Sort_Column == b.Sort_Column;
        case 8:
            return a.Sort_Order == b.Sort_Order;
        case 9:
            return a.Days_Threshold == b.Days_Threshold;
        case 10:
            return a.Name_Edit == b.Name_Edit;
        case 11:
            return a.Month_Calendar_Date == b.Month_Calendar_Date;
        case 12:
            return a.Event_Type == b.Event_Type;
        case 13:
            return a.Auto_Display_Coming_Events_Report == b.Auto_Display_Coming_Events_Report;
        case 14:
            return a.Report_Top == b.Report_Top;
        case 15:
            return a.Report_Left == b.Report_Left;
        case 16:
            return a.Report_Width == b.Report_Width;
        default:
            return a.Report_Height == b.Report_Height;
    }
}

bool Names_Match(std::string_view a, std::string_view b) {
    return Ascii_Upper_Case(a) == Ascii_Upper_Case(b);
}

bool Is_Blank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// The value as the reader returns it after a write: one line, without
// surrounding blanks and without quotes that enclose it wholly. A UTF-16 file
// holds the text as UTF-8 or, when it is not, Windows-1252 converted.
std::string Expected_Read_Back(std::string_view value, bool converted) {
    std::string text = converted ? To_Display_UTF8(value) : std::string(value);
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    std::string_view trimmed = text;
    while (!trimmed.empty() && Is_Blank(trimmed.front())) {
        trimmed.remove_prefix(1);
    }
    while (!trimmed.empty() && Is_Blank(trimmed.back())) {
        trimmed.remove_suffix(1);
    }
    if (trimmed.size() >= 2 && (trimmed.front() == '"' || trimmed.front() == '\'') &&
        trimmed.back() == trimmed.front()) {
        trimmed = trimmed.substr(1, trimmed.size() - 2);
    }
    return std::string(trimmed);
}

Profile_Encoding Encoding_Of_Mark(std::string_view content) {
    if (content.starts_with("\xEF\xBB\xBF")) {
        return Profile_Encoding::UTF8_With_BOM;
    }
    if (content.starts_with("\xFF\xFE")) {
        return Profile_Encoding::UTF16_LE;
    }
    if (content.starts_with("\xFE\xFF")) {
        return Profile_Encoding::UTF16_BE;
    }
    return Profile_Encoding::Eight_Bit;
}

bool Is_UTF16(Profile_Encoding encoding) {
    return encoding == Profile_Encoding::UTF16_LE || encoding == Profile_Encoding::UTF16_BE;
}

// Lines() of an 8-bit file joined, with its mark, are its bytes.
void Check_Lines_Make_Content(const Profile_File& file, std::string_view property) {
    if (Is_UTF16(file.Encoding())) {
        return;
    }
    std::string joined = file.Encoding() == Profile_Encoding::UTF8_With_BOM ? "\xEF\xBB\xBF" : "";
    const std::vector<Profile_Line>& lines = file.Lines();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Profile_Line& line = lines[i];
        Check(line.Text.find('\n') == std::string::npos, "a line's text holds no LF", line.Text);
        Check(line.Line_End == "\r\n" || line.Line_End == "\n" ||
                  (line.Line_End.empty() && i + 1 == lines.size()),
              "every line but the last ends in CR LF or LF");
        joined += line.Text;
        joined += line.Line_End;
    }
    Check_Same(file.Content(), joined, property);
}

struct Key_Value {
    std::string Section;
    std::string Key;
    std::optional<std::string> Value;
};

// Every key of every section as the file reads, up to a limit that keeps a
// run short.
std::vector<Key_Value> Keys_Of(const Profile_File& file) {
    constexpr std::size_t Most_Keys = 64;
    std::vector<Key_Value> keys;
    for (int key = 0; key < 16; ++key) {
        keys.push_back({Settings_Section, Program_Keys[key], std::nullopt});
    }
    std::optional<std::string> section;
    for (const Profile_Line& line : file.Lines()) {
        if (line.Line_Kind == Profile_Line::Kind::Section) {
            section = line.Name;
        } else if (line.Line_Kind == Profile_Line::Kind::Key && section &&
                   keys.size() < Most_Keys) {
            keys.push_back({*section, line.Name, std::nullopt});
        }
    }
    for (Key_Value& key : keys) {
        key.Value = file.Read_String(key.Section, key.Key);
    }
    return keys;
}

// The line a write of the key replaces: the first such key of the first
// such section, as the reader finds it.
std::optional<std::size_t> Line_Of_Key(const Profile_File& file, std::string_view key) {
    const std::vector<Profile_Line>& lines = file.Lines();
    bool in_section = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].Line_Kind == Profile_Line::Kind::Section) {
            if (in_section) {
                return std::nullopt;
            }
            in_section = Names_Match(lines[i].Name, Settings_Section);
        } else if (in_section && lines[i].Line_Kind == Profile_Line::Kind::Key &&
                   Names_Match(lines[i].Name, key)) {
            return i;
        }
    }
    return std::nullopt;
}

// Every line but the replaced one is still there, in order, byte for byte; a
// last line without a line end may have got one.
void Check_Other_Lines_Kept(const Profile_File& before, const Profile_File& after,
                            std::optional<std::size_t> replaced) {
    const std::vector<Profile_Line>& old_lines = before.Lines();
    const std::vector<Profile_Line>& new_lines = after.Lines();
    Check(new_lines.size() >= old_lines.size() && new_lines.size() <= old_lines.size() + 2,
          "a write adds at most a section and a key line");
    std::size_t j = 0;
    for (std::size_t i = 0; i < old_lines.size(); ++i) {
        if (replaced && i == *replaced) {
            continue;
        }
        const Profile_Line& old_line = old_lines[i];
        const bool end_may_change = old_line.Line_End.empty() && i + 1 == old_lines.size();
        while (j < new_lines.size() &&
               !(new_lines[j].Text == old_line.Text &&
                 (new_lines[j].Line_End == old_line.Line_End || end_may_change))) {
            ++j;
        }
        if (j == new_lines.size()) {
            Fail("a write keeps every other line in order, byte for byte",
                 "line " + std::to_string(i + 1) + " " + Shown(old_line.Text) + " lost");
        }
        ++j;
    }
}

// Where line `index` starts in the file's bytes. A UTF-16 line takes two
// bytes per code unit of its text: one per character, two past U+FFFF (a
// unit that could not be decoded reads as one U+FFFD).
std::size_t Offset_Of_Line(const Profile_File& file, std::size_t index) {
    const bool utf16 = Is_UTF16(file.Encoding());
    std::size_t offset = file.Encoding() == Profile_Encoding::Eight_Bit ? 0 : utf16 ? 2 : 3;
    for (std::size_t i = 0; i < index; ++i) {
        const Profile_Line& line = file.Lines()[i];
        if (!utf16) {
            offset += line.Text.size() + line.Line_End.size();
            continue;
        }
        for (const std::string* text : {&line.Text, &line.Line_End}) {
            for (const char c : *text) {
                const auto byte = static_cast<unsigned char>(c);
                if ((byte & 0xC0) != 0x80) {
                    offset += byte >= 0xF0 ? 4 : 2;
                }
            }
        }
    }
    return offset;
}

// The bytes a write changes: none but the replaced line's, or none at all
// when it only adds lines.
void Check_Bytes_Kept(const Profile_File& before, const Profile_File& after,
                      std::optional<std::size_t> replaced) {
    const std::string_view old_bytes = before.Content();
    const std::string_view new_bytes = after.Content();
    if (replaced) {
        const std::size_t start = Offset_Of_Line(before, *replaced);
        const std::size_t old_end = Offset_Of_Line(before, *replaced + 1);
        const std::size_t new_end = Offset_Of_Line(after, *replaced + 1);
        Check(new_bytes.size() >= new_end &&
                  old_bytes.substr(0, start) == new_bytes.substr(0, start) &&
                  old_bytes.substr(old_end) == new_bytes.substr(new_end),
              "a write changes no byte outside the key's line");
        return;
    }
    const std::size_t shorter = std::min(old_bytes.size(), new_bytes.size());
    std::size_t prefix = 0;
    while (prefix < shorter && old_bytes[prefix] == new_bytes[prefix]) {
        ++prefix;
    }
    Check(new_bytes.ends_with(old_bytes.substr(prefix)),
          "a write that adds a key only inserts bytes",
          "bytes from " + std::to_string(prefix) + " changed");
}

}  // namespace
}  // namespace tessaly::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    using namespace tessaly::fuzz;
    if (size == 0) {
        return 0;
    }
    const std::string_view input = Bytes_Of(data + 1, size - 1);
    // Bit 0x40 reaches the keys past the first sixteen.
    const int key_index =
        ((data[0] & 0x0F) | ((data[0] & 0x40) >> 2)) % static_cast<int>(Program_Keys.size());
    const std::string key =
        (data[0] & 0x10) ? Ascii_Upper_Case(Program_Keys[key_index]) : Program_Keys[key_index];
    const std::string section =
        (data[0] & 0x20) ? Ascii_Upper_Case(Settings_Section) : Settings_Section;
    const std::size_t nul = input.find('\0');
    const std::string_view value = input.substr(0, nul);
    const std::string content(nul == std::string_view::npos ? "" : input.substr(nul + 1));

    const Profile_File before(content);
    Check_Same(content, before.Content(), "a file read and not written keeps its bytes");
    Check(before.Encoding() == Encoding_Of_Mark(content),
          "the byte-order mark alone decides the encoding");
    Check_Lines_Make_Content(before, "the lines read make the file's bytes");
    const std::vector<Key_Value> keys = Keys_Of(before);
    const Main_Settings settings_before = Read_Main_Settings(before, Today);

    Profile_File after = before;
    after.Write_String(section, key, value);
    const bool converted = Is_UTF16(before.Encoding());
    const std::string expected = Expected_Read_Back(value, converted);
    const std::optional<std::string> read_back = after.Read_String(Settings_Section, key);
    Check(read_back.has_value(), "a key written reads back");
    Check_Same(expected, *read_back, "a key written reads back its value");
    Check(after.Encoding() == before.Encoding(), "a write keeps the file's encoding");
    Check_Lines_Make_Content(after, "the lines written make the file's bytes");
    const std::optional<std::size_t> replaced = Line_Of_Key(before, key);
    Check_Other_Lines_Kept(before, after, replaced);
    Check_Bytes_Kept(before, after, replaced);

    for (const Key_Value& other : keys) {
        if (Names_Match(other.Section, Settings_Section) && Names_Match(other.Key, key)) {
            continue;
        }
        if (after.Read_String(other.Section, other.Key) != other.Value) {
            Fail("a write leaves every other key as it was",
                 "[" + Shown(other.Section) + "] " + Shown(other.Key) + " changed");
        }
    }
    const Main_Settings settings_after = Read_Main_Settings(after, Today);
    for (int other = 0; other < static_cast<int>(Program_Keys.size()); ++other) {
        if (other != key_index && !Same_Setting(settings_before, settings_after, other)) {
            Fail("a write leaves the program's other settings as they were", Program_Keys[other]);
        }
    }
    if (key_index == Name_Key) {
        Check_Same(expected, settings_after.Name_Edit, "Name_Edit reads back as written");
    } else if (key_index == Event_Type_Key) {
        Check_Same(expected, settings_after.Event_Type, "Event_Type reads back as written");
    }

    Profile_File again = after;
    again.Write_String(section, key, value);
    Check_Same(after.Content(), again.Content(), "writing the same value again changes nothing");
    return 0;
}
