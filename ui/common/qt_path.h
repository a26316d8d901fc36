#pragma once

#include <QByteArray>
#include <QString>

#include <filesystem>

namespace tessaly {

// File names pass between Qt and the program without loss: on Linux as the
// file system's bytes, on Windows as UTF-16, since the ANSI code page there
// lacks most letters.
QString To_Qt_Path(const std::filesystem::path& path);
std::filesystem::path From_Qt_Path(const QString& path);

// The path's own code units as bytes, for hashing: equal paths give equal
// bytes and nothing is lost to a conversion.
QByteArray Path_Bytes(const std::filesystem::path& path);

}  // namespace tessaly
