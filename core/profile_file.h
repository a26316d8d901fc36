#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

inline constexpr const char* Settings_File_Name = "Tessaly.ini";
inline constexpr const char* Settings_Section = "Tessaly";

std::filesystem::path Settings_File_Path(const std::filesystem::path& folder);

// How the file's text is stored. Without a byte-order mark a file is 8-bit
// (UTF-8 or Windows-1252) and read as it is; NUL bytes do not make it UTF-16.
enum class Profile_Encoding {
    Eight_Bit,
    UTF8_With_BOM,  // EF BB BF
    UTF16_LE,       // FF FE
    UTF16_BE,       // FE FF
};

// One line of an initialisation file as read, in the program's byte strings:
// for a UTF-16 file the text is converted to UTF-8 (an unpaired surrogate
// reads as U+FFFD). The byte-order mark belongs to no line. The text is kept
// whole, so that a writer can put back every line it does not change.
struct Profile_Line {
    enum class Kind {
        Blank,
        Comment,  // first non-blank character ";"
        Section,  // "[name]"
        Key,      // "key=value"
        Other,    // anything else; ignored by the reader
    };

    Kind Line_Kind = Kind::Blank;
    // The line without its line end.
    std::string Text;
    // "\r\n", "\n", or empty for a last line without one.
    std::string Line_End;
    // Section or key name without surrounding blanks.
    std::string Name;
    // A key's value as the reader returns it: without surrounding blanks and,
    // when wholly enclosed in matching quotes, without them.
    std::string Value;
};

// An initialisation file read the way the Windows private-profile functions
// read one, so that a file written on Windows reads the same:
// section and key names match without regard to (ASCII) case, the value is
// the text after the first "=" without surrounding blanks, and a value wholly
// in double or single quotes is taken without them. Lines starting with ";"
// are comments. When a section or a key occurs twice, the first one counts;
// keys of a repeated section are not looked up.
//
// A file with a byte-order mark (UTF-8, or UTF-16 either way round, as
// Notepad saves them) reads the same, and a write keeps its encoding, its mark
// and the bytes of every line the write does not change, down to code units
// of a damaged UTF-16 file that cannot be decoded. A stray last byte of a
// UTF-16 file of odd length is not read and stays at the end of the file.
// The encoding a new settings file is written in: one in which the system's
// own private-profile functions read every letter. Windows reads a file
// without a mark in the ANSI code page, so there it is UTF-16 with its mark;
// elsewhere 8-bit (UTF-8).
Profile_Encoding New_Profile_Encoding();

class Profile_File {
public:
    Profile_File() = default;
    explicit Profile_File(std::string content);

    // A missing file reads as an empty one. Throws File_Error when the file
    // exists but cannot be read.
    static Profile_File Load(const std::filesystem::path& file);
    // The file of that ASCII text in another encoding (with its mark): ASCII
    // lines read the same in every encoding.
    static Profile_File Of_Ascii(std::string_view ascii, Profile_Encoding encoding);

    std::optional<std::string> Read_String(std::string_view section, std::string_view key) const;
    // Decimal with an optional sign, within the range of int; anything else,
    // or a missing key, yields the default.
    int Read_Integer(std::string_view section, std::string_view key, int default_value) const;
    // An integer, non-zero meaning true.
    bool Read_Bool(std::string_view section, std::string_view key, bool default_value) const;

    // Sets the key's value. An existing key keeps its line up to and with the
    // blanks after "="; a missing key goes after the last key of its section,
    // a missing section at the end of the file. Every other line stays as it
    // is. Line breaks in the value become blanks, so it stays one line. Into a
    // UTF-16 file the value goes converted from UTF-8 or, when it is not valid
    // UTF-8, from Windows-1252.
    void Write_String(std::string_view section, std::string_view key, std::string_view value);
    void Write_Integer(std::string_view section, std::string_view key, int value);
    void Write_Bool(std::string_view section, std::string_view key, bool value);

    // Replaces the file atomically. An existing file without write permission
    // for its owner is refused (File_Error) rather than replaced: that is how
    // a user keeps a file from being changed, and renaming over it would
    // succeed regardless.
    void Save(const std::filesystem::path& file) const;

    // The file's bytes in its own encoding, mark included: what Save writes.
    const std::string& Content() const { return content_; }
    // The lines as read (see Profile_Line): for an 8-bit file they join to
    // Content() without its mark, for a UTF-16 file to its UTF-8 conversion.
    const std::vector<Profile_Line>& Lines() const { return lines_; }
    Profile_Encoding Encoding() const { return encoding_; }

private:
    void Rebuild_Content();
    // The line end for new lines: the file's own, CR LF for a new file.
    std::string New_Line_End() const;
    void Insert_Line(std::size_t index, Profile_Line line);
    void Replace_Text(std::size_t index, Profile_Line line);

    std::string content_;
    Profile_Encoding encoding_ = Profile_Encoding::Eight_Bit;
    std::vector<Profile_Line> lines_;
    // Per line, its text (without the line end) as the file holds it, while
    // the line is unchanged; empty once the program has written the line.
    std::vector<std::optional<std::string>> stored_text_;
    // The odd last byte of a UTF-16 file.
    std::string stray_byte_;
};

}  // namespace tessaly
