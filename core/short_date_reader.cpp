#include "core/short_date_reader.h"

#include <string>

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

}  // namespace tessaly
