#include "ui/dialogs/typed_date.h"

#include <QLocale>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "ui/common/text.h"

namespace tessaly {

namespace {

// Always taken between the parts, whatever the short date itself uses.
const QString Standard_Separators = QStringLiteral("/.- ");

QString Shown(const Short_Date_Formatter& formatter, int year, int month, int day) {
    return From_File_Text(formatter({year, month, day}));
}

int First_Difference(const QString& one, const QString& other) {
    const qsizetype common = std::min(one.size(), other.size());
    for (qsizetype i = 0; i < common; ++i) {
        if (one[i] != other[i]) {
            return static_cast<int>(i);
        }
    }
    return one.size() == other.size() ? -1 : static_cast<int>(common);
}

// The run of letters around `at`.
QString Word_At(const QString& text, int at) {
    if (at < 0 || at >= text.size() || !text[at].isLetter()) {
        return {};
    }
    qsizetype start = at;
    while (start > 0 && text[start - 1].isLetter()) {
        --start;
    }
    qsizetype end = at;
    while (end < text.size() && text[end].isLetter()) {
        ++end;
    }
    return text.mid(start, end - start);
}

bool Is_Ascii_Digit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

int Days_In_Month(int year, int month) {
    int days = 31;
    while (days > 28 && !Is_Valid_Civil_Date(year, month, days)) {
        --days;
    }
    return days;
}

struct Token {
    QString Text;
    bool Digits = false;
};

// None when the text holds a character that is neither part of a number or
// a word nor a separator.
std::optional<std::vector<Token>> Tokens_Of(const QString& text, const QString& separators) {
    std::vector<Token> tokens;
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (Is_Ascii_Digit(c) || c.isLetter()) {
            const bool digits = Is_Ascii_Digit(c);
            qsizetype end = i;
            while (end < text.size() &&
                   (digits ? Is_Ascii_Digit(text[end]) : text[end].isLetter())) {
                ++end;
            }
            tokens.push_back({text.mid(i, end - i), digits});
            i = end;
        } else if (c.isSpace() || Standard_Separators.contains(c) || separators.contains(c)) {
            ++i;
        } else {
            return std::nullopt;
        }
    }
    return tokens;
}

// "14041986" as "14", "04", "1986" in the parts' order.
std::vector<Token> Split_Run_Together(const QString& digits, const std::vector<Date_Part>& parts) {
    std::vector<Token> tokens;
    qsizetype at = 0;
    for (const Date_Part part : parts) {
        const qsizetype length = part == Date_Part::Year ? 4 : 2;
        tokens.push_back({digits.mid(at, length), true});
        at += length;
    }
    return tokens;
}

QString English_Month(int month) {
    return QLocale::c().monthName(month, QLocale::LongFormat);
}

std::optional<int> Month_Named(const QString& word, const QStringList& names) {
    // A name in full, or three or more of its first letters when no other
    // month starts with them.
    std::optional<int> found;
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].compare(word, Qt::CaseInsensitive) == 0) {
            return i + 1;
        }
        if (word.size() >= 3 && names[i].startsWith(word, Qt::CaseInsensitive)) {
            if (found) {
                return std::nullopt;
            }
            found = i + 1;
        }
    }
    return found;
}

}  // namespace

Short_Date_Shape Shape_Of(const Short_Date_Formatter& formatter) {
    Short_Date_Shape shape;
    // Each pair differs in one part only, and falls on the same weekday, so
    // that a weekday in the pattern does not count as the part: a week apart,
    // 35 weeks apart, and two leap years 28 years apart.
    const QString base = Shown(formatter, 2033, 11, 22);
    const std::pair<Date_Part, int> found[] = {
        {Date_Part::Day, First_Difference(base, Shown(formatter, 2033, 11, 15))},
        {Date_Part::Month, First_Difference(Shown(formatter, 2033, 3, 22), base)},
        {Date_Part::Year,
         First_Difference(Shown(formatter, 2004, 11, 22), Shown(formatter, 2032, 11, 22))},
    };
    std::vector<std::pair<int, Date_Part>> shown;
    std::vector<Date_Part> missing;
    for (const auto& [part, at] : found) {
        if (at >= 0) {
            shown.emplace_back(at, part);
        } else {
            missing.push_back(part);
        }
    }
    std::stable_sort(shown.begin(), shown.end(),
                     [](const auto& one, const auto& other) { return one.first < other.first; });
    std::size_t next = 0;
    for (const auto& [at, part] : shown) {
        shape.Order[next++] = part;
    }
    for (const Date_Part part : missing) {
        shape.Order[next++] = part;
    }

    for (const QChar c : base) {
        if (!c.isLetterOrNumber() && !shape.Separators.contains(c)) {
            shape.Separators += c;
        }
    }
    const int month_at = found[1].second;
    if (!Word_At(base, month_at).isEmpty()) {
        for (int month = 1; month <= 12; ++month) {
            shape.Month_Names << Word_At(Shown(formatter, 2033, month, 22), month_at);
        }
    }
    shape.Example = Shown(formatter, 1986, 4, 14);
    shape.Example_Without_Year = From_File_Text(Format_Short_Date_Without_Year(formatter, 4, 14));
    return shape;
}

QString Shown_Date(const Short_Date_Formatter& formatter, const Civil_Date& date, bool with_year) {
    if (!with_year) {
        return From_File_Text(Format_Short_Date_Without_Year(formatter, date.Month, date.Day));
    }
    if (date.Year >= 1000) {
        return From_File_Text(formatter(date));
    }
    // The calendar repeats every 400 years, so 2000 years on the date falls
    // on the same weekday; that year is written in four digits, and is
    // easily told from the day and the month.
    QString shown = From_File_Text(formatter({date.Year + 2000, date.Month, date.Day}));
    const QString later = QString::number(date.Year + 2000);
    const qsizetype at = shown.indexOf(later);
    if (at < 0) {
        return From_File_Text(formatter(date));
    }
    return shown.replace(at, later.size(),
                         QStringLiteral("%1").arg(date.Year, 4, 10, QLatin1Char('0')));
}

QString Order_Text(const Short_Date_Shape& shape, bool with_year) {
    QString separator = QStringLiteral("/");
    for (const QChar c : shape.Separators) {
        if (Standard_Separators.contains(c) && !c.isSpace()) {
            separator = c;
            break;
        }
    }
    QStringList words;
    for (const Date_Part part : shape.Order) {
        switch (part) {
            case Date_Part::Day:
                words << QStringLiteral("day");
                break;
            case Date_Part::Month:
                words << QStringLiteral("month");
                break;
            case Date_Part::Year:
                if (with_year) {
                    words << QStringLiteral("year");
                }
                break;
        }
    }
    return words.join(separator);
}

Typed_Date Read_Typed_Date(const QString& text, const Short_Date_Shape& shape, bool year_known) {
    Typed_Date result;
    const auto refuse = [&result](QString problem) {
        result.Problem = std::move(problem);
        return result;
    };
    const QString shape_problem = QStringLiteral("Type the date as %1, such as %2.")
                                      .arg(Order_Text(shape, year_known),
                                           year_known ? shape.Example : shape.Example_Without_Year);

    std::optional<std::vector<Token>> tokens = Tokens_Of(text, shape.Separators);
    if (!tokens || tokens->empty()) {
        return refuse(shape_problem);
    }
    std::vector<Date_Part> parts(shape.Order.begin(), shape.Order.end());
    const std::vector<Date_Part> without_year = [&parts] {
        std::vector<Date_Part> kept;
        std::copy_if(parts.begin(), parts.end(), std::back_inserter(kept),
                     [](Date_Part part) { return part != Date_Part::Year; });
        return kept;
    }();
    if (tokens->size() == 1 && (*tokens)[0].Digits) {
        const qsizetype length = (*tokens)[0].Text.size();
        if (length == 8) {
            *tokens = Split_Run_Together((*tokens)[0].Text, parts);
        } else if (length == 4 && !year_known) {
            *tokens = Split_Run_Together((*tokens)[0].Text, without_year);
        }
    }
    if (tokens->size() == 2 && !year_known) {
        parts = without_year;
    } else if (tokens->size() != 3) {
        return refuse(shape_problem);
    }

    for (std::size_t i = 0; i < parts.size(); ++i) {
        const Token& token = (*tokens)[i];
        switch (parts[i]) {
            case Date_Part::Day:
                if (!token.Digits || token.Text.size() > 2) {
                    return refuse(shape_problem);
                }
                result.Day = token.Text.toInt();
                break;
            case Date_Part::Month:
                if (token.Digits && token.Text.size() <= 2) {
                    result.Month = token.Text.toInt();
                } else if (const auto named = token.Digits
                                                  ? std::nullopt
                                                  : Month_Named(token.Text, shape.Month_Names)) {
                    result.Month = *named;
                } else {
                    return refuse(shape_problem);
                }
                break;
            case Date_Part::Year:
                if (!token.Digits) {
                    return refuse(shape_problem);
                }
                // Two digits are not widened to a century: the first dates of
                // birthdays and anniversaries span more than a hundred years,
                // so "26" could as well be 1926 as 2026.
                if (token.Text.size() != 4) {
                    return refuse(QStringLiteral("Type the year in full, with four digits."));
                }
                result.Year = token.Text.toInt();
                if (result.Year < 1) {
                    return refuse(QStringLiteral("There is no year 0000."));
                }
                break;
        }
    }

    if (result.Month < 1 || result.Month > 12) {
        return refuse(QStringLiteral("There is no month %1.").arg(result.Month));
    }
    // A year-less date may be 29 February: it comes round in leap years.
    const int days = Days_In_Month(result.Year > 0 ? result.Year : 2000, result.Month);
    if (result.Day < 1) {
        return refuse(QStringLiteral("There is no day 0."));
    }
    if (result.Day > days) {
        return refuse(result.Year > 0 ? QStringLiteral("%1 %2 has only %3 days.")
                                            .arg(English_Month(result.Month))
                                            .arg(result.Year)
                                            .arg(days)
                                      : QStringLiteral("%1 has only %2 days.")
                                            .arg(English_Month(result.Month))
                                            .arg(days));
    }
    result.Valid = true;
    return result;
}

}  // namespace tessaly
