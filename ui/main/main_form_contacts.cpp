// Import of contacts' birthdays and anniversaries from a vCard file, and the
// texts it shows.
#include <QStringList>

#include <exception>
#include <new>
#include <string>

#include "core/atomic_file.h"
#include "exchange/vcard_import.h"
#include "ui/common/qt_path.h"
#include "ui/common/text.h"
#include "ui/common/wait_cursor.h"
#include "ui/main/import_guard.h"
#include "ui/main/import_summary.h"
#include "ui/main/main_form.h"
#include "ui/main/main_form_messages.h"

namespace tessaly {

namespace {

QString No_Contacts_Error(const std::filesystem::path& file) {
    return QStringLiteral(
               "Error: \"%1\" holds no contacts.\n\nA contacts file (vCard) begins "
               "each contact with the line BEGIN:VCARD.")
        .arg(To_Qt_Path(file));
}

// The contacts to look at in the address book: "Ann Lee", "Bo" and 3 more.
QString Unreadable_Contacts(const VCard_Import_Counts& counts) {
    QStringList names;
    for (const std::string& name : counts.Unreadable_Names) {
        names << (name.empty()
                      ? QStringLiteral("a contact without a name")
                      : QLatin1Char('"') + From_File_Text_On_One_Line(name) + QLatin1Char('"'));
    }
    const auto unnamed = counts.Unreadable_Contacts - static_cast<int>(names.size());
    if (unnamed > 0) {
        return names.join(QStringLiteral(", ")) + QStringLiteral(" and %1 more").arg(unnamed);
    }
    const QString last = names.isEmpty() ? QString() : names.takeLast();
    return names.isEmpty() ? last
                           : names.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

QString Contacts_Imported_Notice(const VCard_Import_Counts& counts) {
    return Import_Summary(
        counts.Imported,
        {{counts.Already_In_List, "entry", "entries", QStringLiteral("already in the list")},
         {counts.Unreadable, "date", "dates",
          QStringLiteral("that could not be read (a date in words, a month without a day, a year "
                         "outside 1 to 9999, or a contact without a name): ") +
              Unreadable_Contacts(counts)},
         {counts.Not_Taken, "entry", "entries", QStringLiteral("that did not fit in the list")}},
        counts.Without_Year);
}

}  // namespace

void TMainForm1::Import_Contacts_Menu_OptionClick() {
    Open_File_Request request;
    request.Caption = QStringLiteral("Import Contacts' Birthdays and Anniversaries From :");
    request.Filters = {
        {QStringLiteral("vCard files (*.vcf *.vcard)"), QStringLiteral("*.vcf *.vcard")},
        {QStringLiteral("All files (*)"), QStringLiteral("*")}};
    // Phones name their exports "Contacts.VCF" as often as "contacts.vcf".
    request.Options = File_Dialog_Option::Ignore_Case | File_Dialog_Option::Hide_Filter_Details;
    request.Start_Folder = exchange_folders_.Start_Folder(Exchange_Kind::Contacts);
    const auto chosen = services_.Dialogs.Get_Open_File_Name(this, request);
    if (!chosen) {
        return;
    }
    exchange_folders_.Remember(Exchange_Kind::Contacts, *chosen);

    Import_Guard guard(Event_Array);
    VCard_Import_Counts counts;
    try {
        const Wait_Cursor wait;
        counts = Append_VCard_Events(Event_Array, Read_Whole_File(*chosen));
        guard.Check_Saveable();
    } catch (const std::bad_alloc&) {
        Show_Error(services_.Messages, this, Out_Of_Memory_Import_Error());
        return;
    } catch (const std::exception& error) {
        // Reading, or a list too large to save: the list is as it was.
        Show_Error(services_.Messages, this, Failure_Sentence(error));
        return;
    }
    if (counts.Contacts == 0) {
        Show_Error(services_.Messages, this, No_Contacts_Error(*chosen));
        return;
    }
    guard.Keep();
    if (!Finish_Import(counts.Not_Taken > 0)) {
        return;
    }
    Show_Information(services_.Messages, this, Contacts_Imported_Notice(counts));
}

}  // namespace tessaly
