#pragma once

#include <QString>
#include <string>

namespace tessaly {

// A stored text for display: UTF-8 where it is valid UTF-8, otherwise
// Windows-1252, as in files written on Windows.
QString From_File_Text(const std::string& bytes);

// Typed text is stored as UTF-8.
std::string To_File_Text(const QString& text);

}  // namespace tessaly
