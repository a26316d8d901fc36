#include "core/short_date_reader.h"

#include <string>
#include <vector>

#include "core/entry_attributes.h"
#include "core/short_date.h"

namespace tessaly {

namespace {

bool Is_Digit(char c) {
    return c >= '0' && c <= '9';
}

bool Is_Blank(char c) {
    return c == ' ' || c == '\t';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool Starts_Without_Case(std::string_view text, std::string_view prefix) {
    if (prefix.empty() || text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (Lower(text[i]) != Lower(prefix[i])) {
            return false;
        }
    }
    return true;
}

class Date_Text_Reader {
public:
    explicit Date_Text_Reader(std::string_view text) : text_(text) {}

    bool Read(std::string_view pattern) {
        for (std::size_t i = 0; i < pattern.size(); ++i) {
            const char c = pattern[i];
            if (Is_Blank(c)) {
                Skip_Blanks();
                continue;
            }
            if (c != '%') {
                if (pos_ >= text_.size() || text_[pos_] != c) {
                    return false;
                }
                ++pos_;
                continue;
            }
            // Flags, width and modifier change only how a number is padded.
            ++i;
            while (i < pattern.size() &&
                   (std::string_view("-_0^#EO").find(pattern[i]) != std::string_view::npos ||
                    Is_Digit(pattern[i]))) {
                ++i;
            }
            if (i >= pattern.size() || !Read_Conversion(pattern[i])) {
                return false;
            }
        }
        Skip_Blanks();
        return pos_ == text_.size();
    }

    std::optional<Civil_Date> Date() const {
        if (year_ < 0 || month_ < 0 || day_ < 0 || !Is_Valid_Civil_Date(year_, month_, day_)) {
            return std::nullopt;
        }
        return Civil_Date{year_, month_, day_};
    }

private:
    bool Read_Conversion(char letter) {
        switch (letter) {
            case 'd':
            case 'e':
                Skip_Blanks();
                return Read_Number(1, 2, day_);
            case 'm':
                return Read_Number(1, 2, month_);
            case 'Y':
                // A year of one or two digits is refused: its century is
                // unclear ("75"), and no date is lost, as ISO dates remain.
                return Read_Number(3, 4, year_);
            case 'y':
                // Only the widened form: two digits could mean either century.
                return Read_Number(4, 4, year_);
            case 'b':
            case 'B':
            case 'h':
                return Read_Month_Name();
            case 'a':
            case 'A':
                while (pos_ < text_.size() && !Is_Digit(text_[pos_]) && !Is_Blank(text_[pos_]) &&
                       text_[pos_] != ',' && text_[pos_] != '/' && text_[pos_] != '-') {
                    ++pos_;
                }
                return true;
            case 'F':
                return Read("%Y-%m-%d");
            case 'D':
                return Read("%m/%d/%y");
            case '%':
                if (pos_ < text_.size() && text_[pos_] == '%') {
                    ++pos_;
                    return true;
                }
                return false;
            default:
                return false;
        }
    }

    bool Read_Number(std::size_t fewest, std::size_t most, int& value) {
        std::size_t length = 0;
        int number = 0;
        while (pos_ < text_.size() && length < most && Is_Digit(text_[pos_])) {
            number = number * 10 + (text_[pos_++] - '0');
            ++length;
        }
        value = number;
        return length >= fewest;
    }

    // The longest of the twelve full and short names that the text starts with.
    bool Read_Month_Name() {
        std::size_t best = 0;
        for (int month = 1; month <= 12; ++month) {
            for (const char* pattern : {"%B", "%b"}) {
                const std::string name =
                    Make_Strftime_Formatter(pattern)(Civil_Date{2001, month, 1});
                if (name.size() > best && Starts_Without_Case(text_.substr(pos_), name)) {
                    best = name.size();
                    month_ = month;
                }
            }
        }
        pos_ += best;
        return best > 0;
    }

    void Skip_Blanks() {
        while (pos_ < text_.size() && Is_Blank(text_[pos_])) {
            ++pos_;
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int year_ = -1;
    int month_ = -1;
    int day_ = -1;
};

}  // namespace

std::optional<Civil_Date> Read_Short_Date(std::string_view pattern, std::string_view text) {
    Date_Text_Reader reader(text);
    if (!reader.Read(pattern)) {
        return std::nullopt;
    }
    return reader.Date();
}

std::string Pattern_Without_Year(std::string_view pattern) {
    // The pattern as conversions ("%Y", "%-d") and single literal characters.
    struct Piece {
        std::string Text;
        bool Conversion = false;
    };
    std::vector<Piece> pieces;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%' || i + 1 == pattern.size()) {
            pieces.push_back({std::string(1, pattern[i]), false});
            continue;
        }
        std::size_t letter = i + 1;
        if ((pattern[letter] == '-' || pattern[letter] == '#') && letter + 1 < pattern.size()) {
            ++letter;
        }
        const std::string_view conversion = pattern.substr(i, letter + 1 - i);
        if (pattern[letter] == 'F' || pattern[letter] == 'D') {
            const std::string_view parts[] = {"%Y", "-", "%m", "-", "%d",
                                              "%m", "/", "%d", "/", "%y"};
            for (std::size_t part = pattern[letter] == 'F' ? 0 : 5, last = part + 5; part < last;
                 ++part) {
                pieces.push_back({std::string(parts[part]), parts[part].front() == '%'});
            }
        } else {
            pieces.push_back({std::string(conversion), pattern[letter] != '%'});
        }
        i = letter;
    }
    std::size_t year = 0;
    while (year < pieces.size() &&
           !(pieces[year].Conversion &&
             (pieces[year].Text.back() == 'Y' || pieces[year].Text.back() == 'y'))) {
        ++year;
    }
    std::size_t start = year;
    std::size_t end = year + 1;
    if (year == pieces.size()) {
        start = end = pieces.size();
    } else if (end < pieces.size()) {
        // With the year goes the literal text that joined it to the rest.
        while (end < pieces.size() && !pieces[end].Conversion) {
            ++end;
        }
    } else {
        while (start > 0 && !pieces[start - 1].Conversion) {
            --start;
        }
    }
    std::string without;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i < start || i >= end) {
            without += pieces[i].Text;
        }
    }
    return without;
}

std::optional<Civil_Date> Read_Short_Date_Without_Year(std::string_view pattern,
                                                       std::string_view text) {
    const std::string without = Pattern_Without_Year(pattern);
    if (without.find('%') == std::string::npos || Read_Short_Date(pattern, text)) {
        return std::nullopt;  // nothing to read, or a full date
    }
    // A leap year stands in, so that 29 February reads; it follows the text's
    // last character, so blanks around the text are taken off first.
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    const std::string_view trimmed =
        first == std::string_view::npos ? std::string_view() : text.substr(first, last + 1 - first);
    const std::optional<Civil_Date> date =
        Read_Short_Date(without + "\x1f%Y", std::string(trimmed) + "\x1f" + "2000");
    if (!date) {
        return std::nullopt;
    }
    return Civil_Date{Year_Unknown_Placeholder, date->Month, date->Day};
}

}  // namespace tessaly
