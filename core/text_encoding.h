#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

bool Is_Valid_UTF8(std::string_view bytes);

// The text with a..z made A..Z and every other byte as it is.
std::string Ascii_Upper_Case(std::string_view text);

// The text without the bytes of `blanks` at either end.
std::string_view Trimmed(std::string_view text, std::string_view blanks = " \t");

// The value of one to `most` decimal digits (at most 9), or none when the
// text is empty, longer or holds anything else.
std::optional<int> Decimal_Value(std::string_view digits, std::size_t most);

// The largest length up to `length` at which the text can be cut without
// splitting a UTF-8 sequence (one that starts no continuation byte).
std::size_t Character_Boundary(std::string_view text, std::size_t length);

// Appends the code point (up to U+10FFFF) in UTF-8.
void Append_UTF8(std::string& out, char32_t code);

// Every byte read as Windows-1252, in UTF-8.
std::string Windows_1252_To_UTF8(std::string_view bytes);

// The text as it is shown: unchanged when it is valid UTF-8, otherwise read
// as Windows-1252 (files written on Windows) and converted to
// UTF-8. The stored bytes are never changed by this.
std::string To_Display_UTF8(std::string_view bytes);

// A text on one line: each line break (CR LF, CR, LF, U+2028, U+2029) of the
// UTF-8 text becomes one space, so that a name holding one reads the same in
// the grid, the report, the terminal and a notification.
std::string Line_Breaks_As_Spaces(std::string_view utf8);

// A stored text for a message that quotes it: shown as To_Display_UTF8 does,
// but with control bytes ("\x00", "\x1A") and invisible characters (a
// byte-order mark "\uFEFF", zero-width and direction marks) written out, so
// that nothing is cut off or hidden.
std::string Escape_For_Message(std::string_view bytes);

// Text for an XML element's content: the calendar server's request bodies
// and the scheduled task's definition.
std::string Escape_Xml_Text(std::string_view text);

}  // namespace tessaly
