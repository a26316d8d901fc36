#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

inline constexpr const char* Settings_File_Name = "Tessaly.ini";
inline constexpr const char* Settings_Section = "Tessaly";

std::filesystem::path Settings_File_Path(const std::filesystem::path& executable_directory);

// One line of an initialisation file as read. The text is kept whole, so that
// a writer can put back every line it does not change byte for byte.
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
// read one, so that a file written by the Windows program reads the same:
// section and key names match without regard to (ASCII) case, the value is
// the text after the first "=" without surrounding blanks, and a value wholly
// in double or single quotes is taken without them. Lines starting with ";"
// are comments. When a section or a key occurs twice, the first one counts;
// keys of a repeated section are not looked up.
class Profile_File {
public:
    Profile_File() = default;
    explicit Profile_File(std::string content);

    // A missing file reads as an empty one. Throws File_Error when the file
    // exists but cannot be read.
    static Profile_File Load(const std::filesystem::path& file);

    std::optional<std::string> Read_String(std::string_view section, std::string_view key) const;
    // Decimal with an optional sign, within the range of int; anything else,
    // or a missing key, yields the default.
    int Read_Integer(std::string_view section, std::string_view key, int default_value) const;
    // An integer, non-zero meaning true.
    bool Read_Bool(std::string_view section, std::string_view key, bool default_value) const;

    // Sets the key's value. An existing key keeps its line up to and with the
    // blanks after "="; a missing key goes after the last key of its section,
    // a missing section at the end of the file. Every other line stays as it
    // is. Line breaks in the value become blanks, so it stays one line.
    void Write_String(std::string_view section, std::string_view key, std::string_view value);
    void Write_Integer(std::string_view section, std::string_view key, int value);
    void Write_Bool(std::string_view section, std::string_view key, bool value);

    // Replaces the file atomically. An existing file without write permission
    // for its owner is refused (File_Error) rather than replaced: that is how
    // a user keeps a file from being changed, and renaming over it would
    // succeed regardless.
    void Save(const std::filesystem::path& file) const;

    const std::string& Content() const { return content_; }
    const std::vector<Profile_Line>& Lines() const { return lines_; }

private:
    void Rebuild_Content();
    // The line end for new lines: the file's own, CR LF for a new file.
    std::string New_Line_End() const;

    std::string content_;
    std::vector<Profile_Line> lines_;
};

}  // namespace tessaly
