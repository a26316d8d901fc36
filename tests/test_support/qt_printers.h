#pragma once

#include <QString>

#include <ostream>

// Readable failures: GoogleTest finds these by argument-dependent lookup.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
