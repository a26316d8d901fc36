#pragma once

#include <QString>
#include <string>

namespace tessaly {

// A stored text for display: UTF-8 where it is valid UTF-8, otherwise
// Windows-1252, as in files written on Windows.
QString From_File_Text(const std::string& bytes);

// The same on one line, its line breaks as spaces, as the report shows it.
QString From_File_Text_On_One_Line(const std::string& bytes);

// Typed text is stored as UTF-8.
std::string To_File_Text(const QString& text);

}  // namespace tessaly
