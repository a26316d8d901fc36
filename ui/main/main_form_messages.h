#pragma once

#include <QString>

#include <exception>
#include <filesystem>

class QWidget;

namespace tessaly {

class Message_Boxes;
class Sibling_Line_Error;
struct Field_Repairs;

// The main window's messages: every box has the program's title as its
// caption, and every text the window shows is here.

void Show_Error(Message_Boxes& messages, QWidget* parent, const QString& text);
void Show_Information(Message_Boxes& messages, QWidget* parent, const QString& text);
// Whether the user answered Yes to the question; No and closing the box
// leave things as they are.
bool Confirmed(Message_Boxes& messages, QWidget* parent, const QString& question);
// The same with buttons that say what they do; Yes is `yes_caption`.
bool Confirmed_As(Message_Boxes& messages, QWidget* parent, const QString& question,
                  const QString& yes_caption, const QString& no_caption);
// The same with the warning sign, for what cannot be undone.
bool Confirmed_Warning(Message_Boxes& messages, QWidget* parent, const QString& question);

// A failure's own text, as it reports itself.
QString Failure_Text(const std::exception& error);
// The program's general error report: the failure's text and a full stop.
QString Failure_Sentence(const std::exception& error);

QString Closing_Without_Saving_Question();
QString Closing_Without_Settings_Question();
QString Restore_Factory_Defaults_Question();

QString List_Full_Error();
QString List_Cut_On_Load_Error();
QString Nothing_To_Edit_Error();
QString No_Row_To_Edit_Error();
QString Several_Rows_To_Edit_Error();
QString Nothing_To_Delete_Error();
QString No_Row_To_Delete_Error();
QString Delete_Rows_Question(int rows);
QString Erase_All_Question();
QString Undo_Question();
QString Nothing_To_Report_Error();

QString Changed_On_Disk_Question(const std::filesystem::path& file);
QString Kept_Aside_Notice(const std::filesystem::path& file, const std::filesystem::path& aside);

QString Imported_Notice(int imported);
// What making imported texts storable changed, as a paragraph to add to an
// import's notice; empty when nothing changed.
QString Repairs_Notice(const Field_Repairs& repairs);
QString Out_Of_Memory_Import_Error();
// The conversion error, then where in the file it stopped and the line as
// read.
QString Sibling_Line_Failure(const Sibling_Line_Error& error);
// The note for any other program, then where the other imports are: the
// menu's title and the two items' captions, as the menu shows them.
QString Other_Program_Import_Notice(const QString& menu, const QString& contacts_item,
                                    const QString& csv_item);
// A menu caption as the user reads it: "&&" is "&", a single "&" marks the
// mnemonic and is not shown.
QString Shown_Caption(const QString& caption);

QString No_Editor_Notice();
QString Catalogue_Missing_Notice();

}  // namespace tessaly
