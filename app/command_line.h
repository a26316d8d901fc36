#pragma once

#include <optional>
#include <stdexcept>
#include <string>

namespace tessaly {

// A command line the terminal tools cannot take: the message says why.
class Usage_Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One option of a terminal tool: "--name", with what follows "=" if any.
struct Option_Word {
    std::string Name;
    std::optional<std::string> Value;
};

// Reads an argument as an option; throws Usage_Error for anything that is
// not "--" and a name ("-h" is the caller's to take first).
Option_Word Read_Option_Word(const std::string& arg);

// Message texts separate their paragraphs with CR LF; a terminal wants LF.
std::string Terminal_Lines(std::string text);

}  // namespace tessaly
