#pragma once

#include <QString>
#include <QStringList>

#include <array>

#include "core/short_date.h"

namespace tessaly {

enum class Date_Part { Day, Month, Year };

// How the user's short date lays out a date, found by formatting dates that
// differ in one part only, so that it holds for any pattern.
struct Short_Date_Shape {
    // The parts in the order the short date shows them.
    std::array<Date_Part, 3> Order{Date_Part::Day, Date_Part::Month, Date_Part::Year};
    // The characters the short date puts between its parts.
    QString Separators;
    // The months as the short date names them; empty when it shows numbers.
    QStringList Month_Names;
    // 14 April 1986 as the short date shows it, with and without the year.
    QString Example;
    QString Example_Without_Year;
};

Short_Date_Shape Shape_Of(const Short_Date_Formatter& formatter);

// The parts in order, joined the way a user reads them: "day/month/year",
// or "day/month" without the year.
QString Order_Text(const Short_Date_Shape& shape, bool with_year);

// A date as the short date shows it, with or without its year, but with a
// year below 1000 in four digits, so that it reads back as the same date
// (the C library writes year 33 as "33").
QString Shown_Date(const Short_Date_Formatter& formatter, const Civil_Date& date, bool with_year);

// A date typed in the short date's order, or why it is none.
struct Typed_Date {
    bool Valid = false;
    // 0 when no year was typed (only accepted when the year is not known).
    int Year = 0;
    int Month = 0;
    int Day = 0;
    // For the user, when not valid.
    QString Problem;
};

// Reads a day, a month (a number or the short date's month name) and a year
// of four digits, in the short date's order, separated by "/", ".", "-",
// blanks or the short date's own separators; or all digits run together
// ("14041986"). Without a known year the year may be left out, and
// 29 February is a date.
Typed_Date Read_Typed_Date(const QString& text, const Short_Date_Shape& shape, bool year_known);

}  // namespace tessaly
