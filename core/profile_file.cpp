#include "core/profile_file.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <system_error>

#include "core/atomic_file.h"
#include "core/errors.h"
#include "core/text_encoding.h"

namespace tessaly {

namespace {

bool Is_Blank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// The blanks around names and values: a line's CR too.
constexpr std::string_view Line_Blanks = " \t\r";

char Ascii_Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool Names_Match(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Ascii_Lower(a[i]) != Ascii_Lower(b[i])) {
            return false;
        }
    }
    return true;
}

std::string_view Without_Quotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

Profile_Line Parse_Line(std::string_view text, std::string_view line_end) {
    Profile_Line line;
    line.Text = std::string(text);
    line.Line_End = std::string(line_end);
    const std::string_view content = Trimmed(text, Line_Blanks);
    if (content.empty()) {
        line.Line_Kind = Profile_Line::Kind::Blank;
    } else if (content.front() == ';') {
        line.Line_Kind = Profile_Line::Kind::Comment;
    } else if (content.front() == '[' && content.find(']') != std::string_view::npos) {
        line.Line_Kind = Profile_Line::Kind::Section;
        line.Name = std::string(Trimmed(content.substr(1, content.find(']') - 1), Line_Blanks));
    } else if (const std::size_t equals = content.find('='); equals != std::string_view::npos) {
        line.Line_Kind = Profile_Line::Kind::Key;
        line.Name = std::string(Trimmed(content.substr(0, equals), Line_Blanks));
        line.Value = std::string(Without_Quotes(Trimmed(content.substr(equals + 1), Line_Blanks)));
    } else {
        line.Line_Kind = Profile_Line::Kind::Other;
    }
    return line;
}

Profile_Line Key_Line(std::string_view key, std::string_view value, std::string_view line_end) {
    std::string text(key);
    text += '=';
    text += value;
    return Parse_Line(text, line_end);
}

// ---------------------------------------------------------------------------
// Encodings

constexpr std::string_view UTF8_BOM = "\xEF\xBB\xBF";
constexpr std::string_view UTF16_LE_BOM = "\xFF\xFE";
constexpr std::string_view UTF16_BE_BOM = "\xFE\xFF";

Profile_Encoding Encoding_Of(std::string_view content) {
    if (content.starts_with(UTF8_BOM)) {
        return Profile_Encoding::UTF8_With_BOM;
    }
    if (content.starts_with(UTF16_LE_BOM)) {
        return Profile_Encoding::UTF16_LE;
    }
    if (content.starts_with(UTF16_BE_BOM)) {
        return Profile_Encoding::UTF16_BE;
    }
    return Profile_Encoding::Eight_Bit;
}

std::string_view Mark_Of(Profile_Encoding encoding) {
    switch (encoding) {
        case Profile_Encoding::UTF8_With_BOM:
            return UTF8_BOM;
        case Profile_Encoding::UTF16_LE:
            return UTF16_LE_BOM;
        case Profile_Encoding::UTF16_BE:
            return UTF16_BE_BOM;
        case Profile_Encoding::Eight_Bit:
            break;
    }
    return {};
}

bool Is_UTF16(Profile_Encoding encoding) {
    return encoding == Profile_Encoding::UTF16_LE || encoding == Profile_Encoding::UTF16_BE;
}

// Reads the code units of a UTF-16 text of even length.
class UTF16_Units {
public:
    UTF16_Units(std::string_view bytes, bool big_endian) : bytes_(bytes), big_endian_(big_endian) {}

    std::size_t Size() const { return bytes_.size() / 2; }
    char16_t operator[](std::size_t index) const {
        const auto first = static_cast<std::uint8_t>(bytes_[2 * index]);
        const auto second = static_cast<std::uint8_t>(bytes_[2 * index + 1]);
        return static_cast<char16_t>(big_endian_ ? (first << 8) | second : (second << 8) | first);
    }

private:
    std::string_view bytes_;
    bool big_endian_;
};

bool Is_High_Surrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool Is_Low_Surrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// An unpaired surrogate reads as U+FFFD; the line keeps its own bytes as long
// as it is not written.
std::string UTF16_To_UTF8(const UTF16_Units& units) {
    std::string out;
    out.reserve(units.Size());
    for (std::size_t i = 0; i < units.Size(); ++i) {
        const char32_t unit = units[i];
        if (Is_High_Surrogate(unit) && i + 1 < units.Size() && Is_Low_Surrogate(units[i + 1])) {
            Append_UTF8(out, 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else if (Is_High_Surrogate(unit) || Is_Low_Surrogate(unit)) {
            Append_UTF8(out, 0xFFFD);
        } else {
            Append_UTF8(out, unit);
        }
    }
    return out;
}

void Append_Unit(std::string& out, char32_t unit, bool big_endian) {
    const auto high = static_cast<char>((unit >> 8) & 0xFF);
    const auto low = static_cast<char>(unit & 0xFF);
    out += big_endian ? high : low;
    out += big_endian ? low : high;
}

// The program's text (UTF-8, or Windows-1252 when it is not valid UTF-8) in
// UTF-16.
std::string To_UTF16(std::string_view text, bool big_endian) {
    const std::string utf8 = To_Display_UTF8(text);
    std::string out;
    out.reserve(2 * utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<std::uint8_t>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k) {
            code = (code << 6) | (static_cast<std::uint8_t>(utf8[i + k]) & 0x3Fu);
        }
        i += length;
        if (code >= 0x10000) {
            Append_Unit(out, 0xD800 + ((code - 0x10000) >> 10), big_endian);
            Append_Unit(out, 0xDC00 + ((code - 0x10000) & 0x3FF), big_endian);
        } else {
            Append_Unit(out, code, big_endian);
        }
    }
    return out;
}

std::string Encoded(std::string_view text, Profile_Encoding encoding) {
    if (Is_UTF16(encoding)) {
        return To_UTF16(text, encoding == Profile_Encoding::UTF16_BE);
    }
    return std::string(text);
}

}  // namespace

std::filesystem::path Settings_File_Path(const std::filesystem::path& folder) {
    return folder / Settings_File_Name;
}

Profile_File Profile_File::Of_Ascii(std::string_view ascii, Profile_Encoding encoding) {
    return Profile_File(std::string(Mark_Of(encoding)) + Encoded(ascii, encoding));
}

Profile_File::Profile_File(std::string content)
    : content_(std::move(content)), encoding_(Encoding_Of(content_)) {
    std::string_view body = std::string_view(content_).substr(Mark_Of(encoding_).size());
    const std::size_t unit_size = Is_UTF16(encoding_) ? 2 : 1;
    if (body.size() % unit_size != 0) {
        stray_byte_ = std::string(body.substr(body.size() - 1));
        body.remove_suffix(1);
    }
    const bool big_endian = encoding_ == Profile_Encoding::UTF16_BE;
    const UTF16_Units units(body, big_endian);
    // A line break is a code unit of its own in either encoding.
    const auto unit_at = [&](std::size_t index) -> char32_t {
        return unit_size == 1 ? static_cast<std::uint8_t>(body[index]) : units[index];
    };
    const std::size_t unit_count = body.size() / unit_size;
    std::size_t start = 0;
    while (start < unit_count) {
        std::size_t end = start;
        while (end < unit_count && unit_at(end) != '\n') {
            ++end;
        }
        std::size_t text_end = end;
        std::string line_end;
        if (end < unit_count) {
            line_end = "\n";
            if (text_end > start && unit_at(text_end - 1) == '\r') {
                --text_end;
                line_end = "\r\n";
            }
        }
        const std::string_view stored =
            body.substr(start * unit_size, (text_end - start) * unit_size);
        const std::string text =
            unit_size == 1 ? std::string(stored) : UTF16_To_UTF8(UTF16_Units(stored, big_endian));
        lines_.push_back(Parse_Line(text, line_end));
        stored_text_.emplace_back(stored);
        start = end < unit_count ? end + 1 : end;
    }
}

Profile_File Profile_File::Load(const std::filesystem::path& file) {
    std::error_code error;
    if (std::filesystem::status(file, error).type() == std::filesystem::file_type::not_found) {
        return {};
    }
    return Profile_File(Read_Whole_File(file));
}

std::optional<std::string> Profile_File::Read_String(std::string_view section,
                                                     std::string_view key) const {
    bool in_section = false;
    for (const Profile_Line& line : lines_) {
        if (line.Line_Kind == Profile_Line::Kind::Section) {
            if (in_section) {
                return std::nullopt;  // only the first such section counts
            }
            in_section = Names_Match(line.Name, section);
        } else if (in_section && line.Line_Kind == Profile_Line::Kind::Key &&
                   Names_Match(line.Name, key)) {
            return line.Value;
        }
    }
    return std::nullopt;
}

int Profile_File::Read_Integer(std::string_view section, std::string_view key,
                               int default_value) const {
    const std::optional<std::string> value = Read_String(section, key);
    if (!value) {
        return default_value;
    }
    std::string_view digits = Trimmed(*value, Line_Blanks);
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    // from_chars takes neither a sign of its own after ours nor blanks.
    if (digits.empty() || digits.front() < '0' || digits.front() > '9') {
        return default_value;
    }
    long long magnitude = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    if (error != std::errc() || end != digits.data() + digits.size()) {
        return default_value;
    }
    const long long number = negative ? -magnitude : magnitude;
    if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max()) {
        return default_value;
    }
    return static_cast<int>(number);
}

bool Profile_File::Read_Bool(std::string_view section, std::string_view key,
                             bool default_value) const {
    return Read_Integer(section, key, default_value ? 1 : 0) != 0;
}

void Profile_File::Write_String(std::string_view section_name, std::string_view key_name,
                                std::string_view value) {
    // The lines of a UTF-16 file hold UTF-8 only, as they read back.
    const bool convert = Is_UTF16(encoding_);
    const std::string section = convert ? To_Display_UTF8(section_name) : std::string(section_name);
    const std::string key = convert ? To_Display_UTF8(key_name) : std::string(key_name);
    std::string one_line = convert ? To_Display_UTF8(value) : std::string(value);
    std::replace_if(
        one_line.begin(), one_line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    // The reader drops blanks before a value; written, they would join the
    // blanks after "=" that a rewrite keeps, and the line would grow with
    // every write of the same value.
    one_line.erase(0, one_line.find_first_not_of(" \t"));
    const std::string line_end = New_Line_End();

    // The first matching section counts, as for reading.
    std::size_t header = lines_.size();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].Line_Kind == Profile_Line::Kind::Section &&
            Names_Match(lines_[i].Name, section)) {
            header = i;
            break;
        }
    }
    if (header == lines_.size()) {
        if (!lines_.empty() && lines_.back().Line_End.empty()) {
            lines_.back().Line_End = line_end;
        }
        Insert_Line(lines_.size(), Parse_Line("[" + section + "]", line_end));
        Insert_Line(lines_.size(), Key_Line(key, one_line, line_end));
        Rebuild_Content();
        return;
    }

    std::size_t last_key = header;
    for (std::size_t i = header + 1;
         i < lines_.size() && lines_[i].Line_Kind != Profile_Line::Kind::Section; ++i) {
        Profile_Line& line = lines_[i];
        if (line.Line_Kind != Profile_Line::Kind::Key) {
            continue;
        }
        if (Names_Match(line.Name, key)) {
            const std::size_t equals = line.Text.find('=');
            std::size_t value_start = equals + 1;
            while (value_start < line.Text.size() && Is_Blank(line.Text[value_start])) {
                ++value_start;
            }
            Replace_Text(i, Parse_Line(line.Text.substr(0, value_start) + one_line, line.Line_End));
            Rebuild_Content();
            return;
        }
        last_key = i;
    }
    if (lines_[last_key].Line_End.empty()) {
        lines_[last_key].Line_End = line_end;
    }
    Insert_Line(last_key + 1, Key_Line(key, one_line, line_end));
    Rebuild_Content();
}

void Profile_File::Write_Integer(std::string_view section, std::string_view key, int value) {
    Write_String(section, key, std::to_string(value));
}

void Profile_File::Write_Bool(std::string_view section, std::string_view key, bool value) {
    Write_String(section, key, value ? "1" : "0");
}

void Profile_File::Save(const std::filesystem::path& file) const {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(file, error);
    if (std::filesystem::is_regular_file(status) &&
        (status.permissions() & std::filesystem::perms::owner_write) ==
            std::filesystem::perms::none) {
        throw File_Error(file.string() + ": the file is read-only");
    }
    Write_File_Atomically(file, content_);
}

void Profile_File::Rebuild_Content() {
    content_ = std::string(Mark_Of(encoding_));
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        content_ += stored_text_[i] ? *stored_text_[i] : Encoded(lines_[i].Text, encoding_);
        content_ += Encoded(lines_[i].Line_End, encoding_);
    }
    content_ += stray_byte_;
}

void Profile_File::Insert_Line(std::size_t index, Profile_Line line) {
    const auto offset = static_cast<std::ptrdiff_t>(index);
    lines_.insert(lines_.begin() + offset, std::move(line));
    stored_text_.insert(stored_text_.begin() + offset, std::nullopt);
}

void Profile_File::Replace_Text(std::size_t index, Profile_Line line) {
    lines_[index] = std::move(line);
    stored_text_[index].reset();
}

std::string Profile_File::New_Line_End() const {
    for (const Profile_Line& line : lines_) {
        if (!line.Line_End.empty()) {
            return line.Line_End;
        }
    }
    return "\r\n";
}

}  // namespace tessaly
