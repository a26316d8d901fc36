#pragma once

#include <QFileDialog>
#include <QString>

#include <filesystem>
#include <optional>
#include <vector>

class QWidget;

namespace tessaly {

// One entry of a file dialog's type list: "Text files" and "*.txt *.dat".
struct File_Filter {
    QString Description;
    QString Patterns;
};

// The program's choices for an open-file dialog, combined with |.
enum class File_Dialog_Option : unsigned {
    None = 0,
    Read_Only = 1u << 0,              // no renaming or new folders in the dialog
    Dont_Resolve_Symlinks = 1u << 1,  // a chosen link is returned as the link
    Hide_Filter_Details = 1u << 2,    // the type list shows descriptions only
    Dont_Use_Native_Dialog = 1u << 3,
    // Patterns match names without regard to case, as they do on Windows.
    // Qt's own dialog does so anyway; the desktop's dialogs (GTK, portals)
    // match case. Best with Hide_Filter_Details: the patterns are long.
    Ignore_Case = 1u << 4,
};

constexpr File_Dialog_Option operator|(File_Dialog_Option a, File_Dialog_Option b) {
    return static_cast<File_Dialog_Option>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool Has_Option(File_Dialog_Option options, File_Dialog_Option option) {
    return (static_cast<unsigned>(options) & static_cast<unsigned>(option)) != 0;
}

// What the program asks an open-file dialog.
struct Open_File_Request {
    QString Caption;
    // Empty: the dialog's own choice.
    std::filesystem::path Start_Folder;
    std::vector<File_Filter> Filters;
    File_Dialog_Option Options = File_Dialog_Option::None;
};

// What the program asks a save-file dialog.
struct Save_File_Request {
    QString Caption;
    // Empty: the dialog's own choice.
    std::filesystem::path Start_Folder;
    // The name the dialog proposes ("Tessaly.ics").
    QString Default_Name;
    std::vector<File_Filter> Filters;
    // Added to a chosen name that has no suffix ("ics").
    QString Default_Suffix;
};

// Every file dialog goes through this, so that tests can choose the file.
class File_Dialogs {
public:
    virtual ~File_Dialogs() = default;
    // The chosen existing file, or none when the user cancelled.
    virtual std::optional<std::filesystem::path> Get_Open_File_Name(
        QWidget* parent, const Open_File_Request& request) = 0;
    // The file to write, or none when the user cancelled. The dialog has
    // asked before an existing file is chosen.
    virtual std::optional<std::filesystem::path> Get_Save_File_Name(
        QWidget* parent, const Save_File_Request& request) = 0;
};

// Real modal file dialogs.
class Qt_File_Dialogs final : public File_Dialogs {
public:
    std::optional<std::filesystem::path> Get_Open_File_Name(
        QWidget* parent, const Open_File_Request& request) override;
    std::optional<std::filesystem::path> Get_Save_File_Name(
        QWidget* parent, const Save_File_Request& request) override;
};

// What a system's file dialogs make of a type list's patterns.
enum class Pattern_Dialect {
    // Sets such as [tT] are known, and case counts: the desktop's dialogs.
    Sets,
    // Only * and ?, and case never counts: Windows' own dialog, which shows
    // no file at all for a pattern with a set.
    Wildcards,
};
#if defined(Q_OS_WIN)
inline constexpr Pattern_Dialect Native_Pattern_Dialect = Pattern_Dialect::Wildcards;
#else
inline constexpr Pattern_Dialect Native_Pattern_Dialect = Pattern_Dialect::Sets;
#endif

// The type list as Qt reads it: "Text files (*.txt *.dat);;All files (*)".
// Patterns may also be separated by ";", as in files written on Windows.
// Ignoring case makes each letter a set of both cases, "*.[tT][xX][tT]",
// where the dialect has sets; elsewhere the dialog ignores case itself.
QString To_Qt_Filter(const std::vector<File_Filter>& filters, bool ignore_case = false,
                     Pattern_Dialect dialect = Native_Pattern_Dialect);
QFileDialog::Options To_Qt_Options(File_Dialog_Option options);

}  // namespace tessaly
