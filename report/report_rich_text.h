#pragma once

#include <QString>
#include <QTextCharFormat>

#include "report/report_builder.h"

class QTextDocument;

namespace tessaly {

// The report's default face: monospaced, so that the entry columns line up.
inline constexpr const char* Report_Font_Family = "Courier New";

QTextCharFormat To_Text_Char_Format(const Char_Format& format);

// A run's text for the rich-text view. Line breaks are spaces
// (Line_Breaks_As_Spaces), as everywhere else; other characters that the view
// would turn into a paragraph break (U+FDD0, U+FDD1) are shown as "?": a name
// holding one would otherwise split its entry line.
QString Rich_Text_Of(const std::string& utf8);

// Replaces the content of `target` with the report: one block per paragraph,
// with its alignment and the exact format of every run, on a monospaced
// default font of the report's default size. The plain text equals
// document.Plain_Text() (blocks joined by "\n") unless a run held one of the
// characters Rich_Text_Of replaces.
void Render_Report_Document(const Report_Document& document, QTextDocument& target);

}  // namespace tessaly
