#include "ui/main/main_form_messages.h"

#include <QLocale>

#include <string>

#include "core/atomic_file.h"
#include "core/event_list.h"
#include "core/field_limits.h"
#include "core/import.h"
#include "core/program_identity.h"
#include "ui/common/message_boxes.h"
#include "ui/common/qt_path.h"

namespace tessaly {

namespace {

QString Title() {
    return QString::fromUtf8(Program_Title);
}

QString Native(const std::filesystem::path& file) {
    return To_Qt_Path(file);
}

}  // namespace

void Show_Error(Message_Boxes& messages, QWidget* parent, const QString& text) {
    messages.Show(parent, Message_Kind::Error, Title(), text);
}

void Show_Information(Message_Boxes& messages, QWidget* parent, const QString& text) {
    messages.Show(parent, Message_Kind::Information, Title(), text);
}

bool Confirmed(Message_Boxes& messages, QWidget* parent, const QString& question) {
    return messages.Show(parent, Message_Kind::Confirmation, Title(), question) ==
           Message_Answer::Yes;
}

bool Confirmed_As(Message_Boxes& messages, QWidget* parent, const QString& question,
                  const QString& yes_caption, const QString& no_caption) {
    return messages.Ask(parent, Message_Kind::Confirmation, Title(), question, yes_caption,
                        no_caption) == Message_Answer::Yes;
}

bool Confirmed_Warning(Message_Boxes& messages, QWidget* parent, const QString& question) {
    return messages.Show(parent, Message_Kind::Warning, Title(), question) == Message_Answer::Yes;
}

QString Failure_Text(const std::exception& error) {
    return Message_Text(error.what());
}

QString Failure_Sentence(const std::exception& error) {
    std::string text = error.what();
    if (text.empty() || text.back() != '.') {
        text += '.';
    }
    return Message_Text(text);
}

QString Closing_Without_Saving_Question() {
    return QStringLiteral(
               "The list could not be saved.\n\nClose %1 anyway? The changes since the last save "
               "will be lost.")
        .arg(Title());
}

QString Closing_Without_Settings_Question() {
    return QStringLiteral(
               "The settings could not be saved; the list was saved.\n\nClose %1 anyway? The "
               "window positions and options of this session will be lost.")
        .arg(Title());
}

QString Restore_Factory_Defaults_Question() {
    // Short lines, each a whole phrase, so that none is left with one word.
    return QStringLiteral(
        "All settings will go back to their factory defaults:\n"
        "\n"
        "- the main window's position and size, and Always On Top;\n"
        "- the sort order, the report's time frame and the start-up report;\n"
        "- what the Add / Edit dialog and the report window remember.\n"
        "\n"
        "Restore the factory defaults now?");
}

QString List_Full_Error() {
    return Message_Text(Capacity_Message_Add());
}

QString List_Cut_On_Load_Error() {
    return Message_Text(Capacity_Message_Load());
}

QString Nothing_To_Edit_Error() {
    return QStringLiteral("Error: There are no entries to edit - the list is empty.");
}

QString No_Row_To_Edit_Error() {
    return QStringLiteral(
        "Error: No row in the list is selected.\n\nPlease click on any cell in the row to select "
        "that row and try again.");
}

QString Several_Rows_To_Edit_Error() {
    return QStringLiteral(
        "Error: Multiple rows in the list are selcted.\n\nPlease click on any cell in the row to "
        "select that single row.");
}

QString Nothing_To_Delete_Error() {
    return QStringLiteral("Error: There are no entries to delete - the list is already empty.");
}

QString No_Row_To_Delete_Error() {
    return QStringLiteral(
        "Error: No row in the list is selcted.\n\nPlease click on any cell in the row to select "
        "that row.");
}

QString Delete_Rows_Question(int rows) {
    return QStringLiteral("Delete %1 row(s) ?  Are you sure ?").arg(rows);
}

QString Erase_All_Question() {
    return QStringLiteral("Erase all data in the list ?  Are you sure ?");
}

QString Undo_Question() {
    return QStringLiteral(
        "Do you want to Undo all Resets and Deletes since the last Add, Edit, or Import "
        "operation ?\n\ni.e.  Reload data from file ?  Are you sure ?");
}

QString Nothing_To_Report_Error() {
    return QStringLiteral("Error: There are no entries in the list.");
}

QString Changed_On_Disk_Question(const std::filesystem::path& file) {
    return QStringLiteral(
               "The data file \"%1\" was changed by another program since %2 last read or saved "
               "it.\n\nWrite the list shown here over it?\n\nYes: the list shown here replaces "
               "the file; its previous version is kept in \"%3\".\nNo: the file's version is "
               "kept; the list shown here is kept aside in a file of its own.")
        .arg(Native(file), Title(), Native(Backup_Path(file)));
}

QString Kept_Aside_Notice(const std::filesystem::path& file, const std::filesystem::path& aside) {
    return QStringLiteral(
               "The file's version of \"%1\" is kept. The list as it was shown here is in \"%2\".")
        .arg(Native(file), Native(aside));
}

QString Imported_Notice(int imported) {
    return QString::number(imported) +
           QStringLiteral(" items were imported and are now merged and sorted in the main list.");
}

QString Repairs_Notice(const Field_Repairs& repairs) {
    // "1 text was" / "3 texts were"
    const auto texts = [](int count, const char* one, const char* many) {
        return QString::number(count) + QStringLiteral(" text") + (count == 1 ? "" : "s") + ' ' +
               QString::fromLatin1(count == 1 ? one : many);
    };
    QString text;
    if (repairs.Shortened > 0) {
        text += QStringLiteral(
                    "\n\n%1 longer than %2 bytes, the most a field of the list holds, "
                    "and cut to that length.")
                    .arg(texts(repairs.Shortened, "was", "were"),
                         QLocale(QLocale::English).toString(qulonglong{Longest_Field}));
    }
    if (repairs.Blanked > 0) {
        text += QStringLiteral(
                    "\n\n%1 NUL or Ctrl-Z characters, which the data file cannot "
                    "hold; they became blanks.")
                    .arg(texts(repairs.Blanked, "held", "held"));
    }
    return text;
}

QString Out_Of_Memory_Import_Error() {
    return QStringLiteral(
        "Error: Nothing was imported.\n\nThere is not enough memory to import this file. The "
        "list is as it was.");
}

QString Sibling_Line_Failure(const Sibling_Line_Error& error) {
    return Failure_Text(error) +
           QStringLiteral("\n\nThe import stopped at line %1 of the file, which reads:\n%2")
               .arg(QString::number(error.Line_Number()), Message_Text(error.Quoted_Line()));
}

QString Other_Program_Import_Notice(const QString& menu, const QString& contacts_item,
                                    const QString& csv_item) {
    return QStringLiteral(
               "The import of data is not currently supported / set-up from any other "
               "programs.\n\n"
               "If you have data that you want to convert / import into this program (") +
           Title() +
           QStringLiteral(
               ") then please contact this program's author to arrange for this to happen.\n\n"
               "Under the \"Help\" menu, select \"About\" for contact details.") +
           QStringLiteral(
               "\n\nBirthdays and anniversaries can also be imported from a contacts file "
               "(vCard) or a CSV file: under the \"%1\" menu, select \"%2\" or \"%3\".")
               .arg(menu, contacts_item, csv_item);
}

QString Shown_Caption(const QString& caption) {
    QString shown;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) {
            ++i;
        }
        shown += caption[i];
    }
    return shown;
}

QString No_Editor_Notice() {
    return QStringLiteral("Windows Notepad could not be found.");
}

QString Catalogue_Missing_Notice() {
    return QStringLiteral("Harrow's Shareware Catalog is not in the same directory as ") + Title() +
           QStringLiteral(".  ") +
           QStringLiteral("The required file 'catalog.txt' was included in the ") +
           QStringLiteral("distribution ZIP file.  Please unzip this file and try again.");
}

}  // namespace tessaly
