// Import of the sibling program's file, and the note for every other program.
#include <QAction>
#include <QMenu>

#include <exception>
#include <new>

#include "core/atomic_file.h"
#include "core/errors.h"
#include "core/event_list.h"
#include "core/field_limits.h"
#include "core/import.h"
#include "ui/common/wait_cursor.h"
#include "ui/main/grid_selection.h"
#include "ui/main/import_guard.h"
#include "ui/main/main_form.h"
#include "ui/main/main_form_messages.h"

namespace tessaly {

void TMainForm1::Import_Data_From_Corvane_v15a_Menu_OptionClick() {
    OpenDialog1.Caption = QStringLiteral("Import \"Corvane v1.5a Files\" Data From :");
    OpenDialog1.Filters = {
        {QStringLiteral("Corvane v1.5a Files (CORVANE.TXT)"), QStringLiteral("CORVANE.TXT")}};
    // Only an existing file can be chosen. A copied file may be named in
    // another case; Windows lists it all the same.
    OpenDialog1.Options = File_Dialog_Option::Ignore_Case | File_Dialog_Option::Hide_Filter_Details;
    OpenDialog1.Start_Folder = services_.Executable_Path.parent_path();

    Import_Data_ListBox.Clear();
    Import_Guard guard(Event_Array);
    int imported = 0;
    Field_Repairs repairs;
    try {
        if (const auto chosen = services_.Dialogs.Get_Open_File_Name(this, OpenDialog1)) {
            try {
                const Wait_Cursor wait;
                Import_Data_ListBox.Assign(Read_Whole_File(*chosen));
            } catch (const File_Error& error) {
                Show_Error(services_.Messages, this, Failure_Sentence(error));
                return;
            }
        }
        if (Import_Data_ListBox.Count() == 0) {
            return;
        }
        try {
            imported = Append_Sibling_Lines(Event_Array, Import_Data_ListBox.Lines(), repairs);
        } catch (const Sibling_Line_Error& error) {
            Import_Data_ListBox.Clear();
            // The lines before the bad one are in the list now: the grid must
            // show them, or its rows would send later commands to the wrong
            // entries. They reach the file with the next save.
            guard.Keep();
            Refresh_StringGrid_From_Array_ButtonClick();
            Show_Error(services_.Messages, this, Sibling_Line_Failure(error));
            return;
        }
        guard.Check_Saveable();
    } catch (const std::bad_alloc&) {
        Import_Data_ListBox.Clear();
        Show_Error(services_.Messages, this, Out_Of_Memory_Import_Error());
        return;
    } catch (const Unsaveable_List_Error& error) {
        Import_Data_ListBox.Clear();
        Show_Error(services_.Messages, this, Failure_Text(error));
        return;
    }
    guard.Keep();
    const bool had_too_many = Import_Data_ListBox.Count() >= Event_Array_Size;
    Import_Data_ListBox.Clear();
    if (!Finish_Import(had_too_many)) {
        return;
    }
    Show_Information(services_.Messages, this, Imported_Notice(imported) + Repairs_Notice(repairs));
}

bool TMainForm1::Finish_Import(bool had_too_many) {
    if (had_too_many) {
        Show_Error(services_.Messages, this, List_Cut_On_Load_Error());
    }
    Refresh_StringGrid_From_Array_ButtonClick();
    Select_Row(*Names_And_Events_StringGrid, 1);
    return Save_After_Change();
}

void TMainForm1::Import_Data_from_Any_Other_Program_Menu_OptionClick() {
    Show_Information(
        services_.Messages, this,
        Other_Program_Import_Notice(Shown_Caption(Data_Menu->title()),
                                    Shown_Caption(Import_Contacts_Menu_Option->text()),
                                    Shown_Caption(Import_From_CSV_Menu_Option->text())));
}

}  // namespace tessaly
