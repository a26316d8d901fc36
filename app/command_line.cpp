#include "app/command_line.h"

namespace tessaly {

Option_Word Read_Option_Word(const std::string& arg) {
    if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
        if (!arg.empty() && arg[0] == '-') {
            throw Usage_Error("unknown option '" + arg + "'");
        }
        throw Usage_Error("unexpected argument '" + arg + "'");
    }
    const std::size_t equals = arg.find('=');
    Option_Word word;
    word.Name = arg.substr(0, equals);
    if (equals != std::string::npos) {
        word.Value = arg.substr(equals + 1);
    }
    return word;
}

std::string Terminal_Lines(std::string text) {
    std::string::size_type position = 0;
    while ((position = text.find("\r\n", position)) != std::string::npos) {
        text.erase(position, 1);
        ++position;
    }
    return text;
}

}  // namespace tessaly
