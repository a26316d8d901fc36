#pragma once

#include <stdexcept>
#include <string>

namespace tessaly {

// A failure the user sees as it stands: the message is the program's own text
// (for instance "Invalid numeric input") or the operating system's text for an
// input/output failure, never a C++ exception name.
class Tessaly_Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A number or date that cannot be converted.
class Convert_Error : public Tessaly_Error {
public:
    using Tessaly_Error::Tessaly_Error;
};

// A file that is not in a form the program reads (UTF-16 text, for instance).
class Format_Error : public Tessaly_Error {
public:
    using Tessaly_Error::Tessaly_Error;
};

// Reading or writing a file failed; the message names the file and carries
// the operating system's text.
class File_Error : public Tessaly_Error {
public:
    using Tessaly_Error::Tessaly_Error;
};

}  // namespace tessaly
