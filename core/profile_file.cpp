#include "core/profile_file.h"

#include <charconv>
#include <limits>
#include <system_error>

#include "core/atomic_file.h"

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

}  // namespace tessaly
