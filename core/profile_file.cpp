#include "core/profile_file.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <system_error>

#include "core/atomic_file.h"
#include "core/errors.h"

namespace tessaly {

namespace {

bool Is_Blank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && Is_Blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && Is_Blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

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
    const std::string_view content = Trimmed(text);
    if (content.empty()) {
        line.Line_Kind = Profile_Line::Kind::Blank;
    } else if (content.front() == ';') {
        line.Line_Kind = Profile_Line::Kind::Comment;
    } else if (content.front() == '[' && content.find(']') != std::string_view::npos) {
        line.Line_Kind = Profile_Line::Kind::Section;
        line.Name = std::string(Trimmed(content.substr(1, content.find(']') - 1)));
    } else if (const std::size_t equals = content.find('='); equals != std::string_view::npos) {
        line.Line_Kind = Profile_Line::Kind::Key;
        line.Name = std::string(Trimmed(content.substr(0, equals)));
        line.Value = std::string(Without_Quotes(Trimmed(content.substr(equals + 1))));
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

}  // namespace

std::filesystem::path Settings_File_Path(const std::filesystem::path& executable_directory) {
    return executable_directory / Settings_File_Name;
}

Profile_File::Profile_File(std::string content) : content_(std::move(content)) {
    std::string_view rest = content_;
    while (!rest.empty()) {
        const std::size_t feed = rest.find('\n');
        std::string_view text = rest.substr(0, feed);
        std::size_t end_length = 0;
        if (feed != std::string_view::npos) {
            end_length = 1;
            if (!text.empty() && text.back() == '\r') {
                text.remove_suffix(1);
                end_length = 2;
            }
        }
        lines_.push_back(Parse_Line(text, rest.substr(text.size(), end_length)));
        rest.remove_prefix(text.size() + end_length);
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
    std::string_view digits = Trimmed(*value);
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

void Profile_File::Write_String(std::string_view section, std::string_view key,
                                std::string_view value) {
    std::string one_line(value);
    std::replace_if(
        one_line.begin(), one_line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
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
        lines_.push_back(Parse_Line("[" + std::string(section) + "]", line_end));
        lines_.push_back(Key_Line(key, one_line, line_end));
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
            line = Parse_Line(line.Text.substr(0, value_start) + one_line, line.Line_End);
            Rebuild_Content();
            return;
        }
        last_key = i;
    }
    if (lines_[last_key].Line_End.empty()) {
        lines_[last_key].Line_End = line_end;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(last_key) + 1,
                  Key_Line(key, one_line, line_end));
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
    content_.clear();
    for (const Profile_Line& line : lines_) {
        content_ += line.Text;
        content_ += line.Line_End;
    }
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
