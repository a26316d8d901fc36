#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly::detail {

// Desktop entry files (launchers, menu entries, autostart entries) as the
// freedesktop rules write them.

// One argument of an Exec line: double-quoted when it holds a space or a
// reserved character, with a backslash before `"`, `` ` ``, `$` and `\`
// inside the quotes; `%` is doubled either way.
std::string Quote_Exec_Argument(std::string_view argument);
// Why no desktop entry can start the program at that path, or none when one
// can: an entry file is UTF-8 text, and launchers built on GLib look for the
// program under its Exec spelling, with "%" still doubled.
std::optional<std::string> Unstartable_Path_Reason(std::string_view program);
// The first argument of an Exec line, the quoting and the doubled `%` undone;
// none for an empty line or an unterminated quote.
std::optional<std::string> First_Exec_Argument(std::string_view exec);

// The escapes of a string value: `\s`, `\n`, `\t`, `\r` and `\\`.
std::string Escape_Value(std::string_view value);
std::string Unescape_Value(std::string_view value);

// The keys of the [Desktop Entry] group, their values unescaped. A key given
// twice keeps its first value; other groups and comments are skipped.
std::map<std::string, std::string> Desktop_Entry_Keys(std::string_view text);

// An application entry that runs the program alone and shows the program's
// icon, with extra keys (already escaped) after the standard ones.
std::string Application_Entry(std::string_view name, std::string_view program,
                              std::string_view extra_lines = {});

}  // namespace tessaly::detail
