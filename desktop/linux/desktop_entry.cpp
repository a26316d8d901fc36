#include "desktop/linux/desktop_entry.h"

#include "core/program_identity.h"
#include "core/text_encoding.h"

namespace tessaly::detail {

namespace {

constexpr std::string_view Reserved_Characters = " \t\n\"'\\><~|&;$*?#()`";
constexpr std::string_view Escaped_In_Quotes = "\"`$\\";

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::string Quote_Exec_Argument(std::string_view argument) {
    const bool quoted =
        argument.empty() || argument.find_first_of(Reserved_Characters) != std::string_view::npos;
    std::string result;
    if (quoted) {
        result += '"';
    }
    for (const char c : argument) {
        if (quoted && Escaped_In_Quotes.find(c) != std::string_view::npos) {
            result += '\\';
        }
        result += c;
        if (c == '%') {
            result += '%';
        }
    }
    if (quoted) {
        result += '"';
    }
    return result;
}

std::optional<std::string> Unstartable_Path_Reason(std::string_view program) {
    if (!Is_Valid_UTF8(program)) {
        return "desktops cannot start a program whose path is not UTF-8 text";
    }
    if (program.find('%') != std::string_view::npos) {
        return "desktops cannot start a program whose path holds \"%\"";
    }
    return std::nullopt;
}

std::optional<std::string> First_Exec_Argument(std::string_view exec) {
    std::size_t at = exec.find_first_not_of(" \t");
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    std::string raw;
    if (exec[at] == '"') {
        bool closed = false;
        for (++at; at < exec.size(); ++at) {
            const char c = exec[at];
            if (c == '"') {
                closed = true;
                break;
            }
            if (c == '\\' && at + 1 < exec.size() &&
                Escaped_In_Quotes.find(exec[at + 1]) != std::string_view::npos) {
                ++at;
            }
            raw += exec[at];
        }
        if (!closed) {
            return std::nullopt;
        }
    } else {
        const std::size_t end = exec.find_first_of(" \t", at);
        raw = exec.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    }
    std::string argument;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        argument += raw[i];
        if (raw[i] == '%' && i + 1 < raw.size() && raw[i + 1] == '%') {
            ++i;
        }
    }
    return argument;
}

std::string Escape_Value(std::string_view value) {
    std::string result;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        switch (c) {
            case '\\':
                result += "\\\\";
                break;
            case '\n':
                result += "\\n";
                break;
            case '\t':
                result += "\\t";
                break;
            case '\r':
                result += "\\r";
                break;
            case ' ':
                // Only leading blanks would be lost to the reader's trimming.
                result += i == 0 ? "\\s" : " ";
                break;
            default:
                result += c;
        }
    }
    return result;
}

std::string Unescape_Value(std::string_view value) {
    std::string result;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            result += value[i];
            continue;
        }
        switch (value[++i]) {
            case 's':
                result += ' ';
                break;
            case 'n':
                result += '\n';
                break;
            case 't':
                result += '\t';
                break;
            case 'r':
                result += '\r';
                break;
            case '\\':
                result += '\\';
                break;
            default:
                // Not a string escape: kept for the Exec quoting to read.
                result += '\\';
                result += value[i];
        }
    }
    return result;
}

std::map<std::string, std::string> Desktop_Entry_Keys(std::string_view text) {
    std::map<std::string, std::string> keys;
    bool in_entry_group = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            in_entry_group = line == "[Desktop Entry]";
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!in_entry_group || equals == std::string_view::npos) {
            continue;
        }
        const std::string key(Trimmed(line.substr(0, equals)));
        keys.emplace(key, Unescape_Value(Trimmed(line.substr(equals + 1))));
    }
    return keys;
}

std::string Application_Entry(std::string_view name, std::string_view program,
                              std::string_view extra_lines) {
    std::string entry = "[Desktop Entry]\nType=Application\nName=";
    entry += Escape_Value(name);
    entry += "\nExec=";
    entry += Escape_Value(Quote_Exec_Argument(program));
    // The installed icon; where none is installed the desktop shows its own.
    entry += "\nIcon=";
    entry += Application_Id;
    entry += '\n';
    entry += extra_lines;
    return entry;
}

}  // namespace tessaly::detail
