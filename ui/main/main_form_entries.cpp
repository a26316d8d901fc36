// The entry commands of the main window: add, edit, delete, reset, undo and
// the demo data.
#include <QTimer>

#include <string>
#include <vector>

#include "core/demo_data.h"
#include "core/entry_attributes.h"
#include "core/field_limits.h"
#include "ui/common/clock.h"
#include "ui/common/text.h"
#include "ui/dialogs/add_modify_form.h"
#include "ui/dialogs/entry_attribute_controls.h"
#include "ui/main/grid_selection.h"
#include "ui/main/main_form.h"
#include "ui/main/main_form_messages.h"
#include "widgets/format_string_grid.h"

namespace tessaly {

namespace {

// The date timer may refresh, and so re-sort, the list while a dialog or a
// question is open; a command that has already mapped grid rows to list
// positions would then change the wrong entries. The timer waits until the
// command is over.
class Date_Check_Pause {
public:
    explicit Date_Check_Pause(QTimer& timer) : timer_(timer), was_active_(timer.isActive()) {
        timer_.stop();
    }
    ~Date_Check_Pause() {
        if (was_active_) {
            timer_.start();
        }
    }
    Date_Check_Pause(const Date_Check_Pause&) = delete;
    Date_Check_Pause& operator=(const Date_Check_Pause&) = delete;

private:
    QTimer& timer_;
    bool was_active_;
};

// Typed text as the data file can hold it: a pasted line break or NUL
// would otherwise end up in the file.
std::string Typed_Text(const QString& shown) {
    Field_Repairs repairs;
    return Storable_Text(To_File_Text(shown), repairs);
}

// A field the user left as it was keeps its stored bytes, whatever their
// encoding; only edited text is stored as UTF-8.
std::string Edited_Text(const std::string& stored, const QString& shown) {
    return From_File_Text(stored) == shown ? stored : Typed_Text(shown);
}

QString No_Room_For_Attributes_Error() {
    return QStringLiteral(
        "Error: This entry cannot keep \"Year not known\" or a reminder lead of its own: its "
        "four spare fields all hold another program's data.\r\n\r\nThe entry was not changed.");
}

}  // namespace

void TMainForm1::Add_Entry_BitBtnClick() {
    if (Event_Array.Is_Full()) {
        Show_Error(services_.Messages, this, List_Full_Error());
        return;
    }
    Date_Check_Pause pause(*Change_Of_Date_Check_Timer);
    TAdd_Modify_Form& dialog = *Add_Modify_Form;
    // The four fields start from the last values, but "Year not known" and
    // a lead of its own belong to one entry: left from an edit, a new entry
    // would take them without the user seeing it.
    dialog.Attribute_Controls->Set_Attributes({});
    dialog.Set_From_Contact(false);
    dialog.setWindowTitle(QStringLiteral("Add a New Birthday or Event :"));
    dialog.exec();
    if (dialog.Modal_Result() != TAdd_Modify_Form::Accepted_Result) {
        return;
    }

    TName_And_Event_Data& entry = Event_Array.Append();
    entry.Name = Typed_Text(dialog.Name());
    entry.Orig_Date = dialog.Attribute_Controls->Stored_Date(dialog.Calendar_Date());
    entry.Event_Type = Typed_Text(dialog.Event_Type());
    entry.Comments = Typed_Text(dialog.Comments());
    // A new entry's spare fields are empty: there is always room.
    Write_Entry_Attributes(entry, dialog.Attribute_Controls->Attributes());
    Refresh_StringGrid_From_Array_ButtonClick();
    Select_Row(*Names_And_Events_StringGrid, 1);
    Save_After_Change();
}

void TMainForm1::Edit_Entry_BitBtnClick() {
    TFormatStringGrid& grid = *Names_And_Events_StringGrid;
    if (Event_Array.Event_Count() == 0) {
        Show_Error(services_.Messages, this, Nothing_To_Edit_Error());
        return;
    }
    const int selected = Selected_Row_Count(grid);
    const int top = Selected_Top_Row(grid);
    if (selected < 1 || top < 1 || top > Event_Array.Event_Count()) {
        Show_Error(services_.Messages, this, No_Row_To_Edit_Error());
        return;
    }
    if (selected > 1) {
        Show_Error(services_.Messages, this, Several_Rows_To_Edit_Error());
        return;
    }

    Select_Whole_Rows(grid);
    const int row = Selected_Top_Row(grid);
    Date_Check_Pause pause(*Change_Of_Date_Check_Timer);
    const TName_And_Event_Data& entry = Event_Array.At(row);
    TAdd_Modify_Form& dialog = *Add_Modify_Form;
    dialog.Set_Name(From_File_Text(entry.Name));
    if (!dialog.Set_Calendar_Date(Calendar_Date_Of(entry, services_.Time.Today()))) {
        return;
    }
    dialog.Attribute_Controls->Set_Attributes(Read_Entry_Attributes(entry));
    dialog.Set_Event_Type(From_File_Text(entry.Event_Type));
    dialog.Set_Comments(From_File_Text(entry.Comments));
    // The name, date and type of an entry from an address book are the
    // contact's: the next sync would undo a change made here.
    const bool from_contact = Read_Contact_Source(entry).has_value();
    dialog.Set_From_Contact(from_contact);
    dialog.setWindowTitle(QStringLiteral("Edit an Existing Birthday or Event :"));
    dialog.exec();
    if (dialog.Modal_Result() != TAdd_Modify_Form::Accepted_Result) {
        return;
    }
    const TName_And_Event_Data contact = entry;

    // Writing the attributes changes nothing when they find no room.
    if (!Write_Entry_Attributes(Event_Array.At(row), dialog.Attribute_Controls->Attributes())) {
        Show_Error(services_.Messages, this, No_Room_For_Attributes_Error());
        return;
    }
    if (from_contact) {
        Event_Array.Replace(row, contact.Name, contact.Orig_Date, contact.Event_Type,
                            Edited_Text(entry.Comments, dialog.Comments()));
    } else {
        Event_Array.Replace(row, Edited_Text(entry.Name, dialog.Name()),
                            dialog.Attribute_Controls->Stored_Date(dialog.Calendar_Date()),
                            Edited_Text(entry.Event_Type, dialog.Event_Type()),
                            Edited_Text(entry.Comments, dialog.Comments()));
    }
    Refresh_StringGrid_From_Array_ButtonClick();
    Save_After_Change();
}

void TMainForm1::Delete_Selected_Rows_BitBtnClick() {
    TFormatStringGrid& grid = *Names_And_Events_StringGrid;
    const int count = Event_Array.Event_Count();
    if (count == 0) {
        Show_Error(services_.Messages, this, Nothing_To_Delete_Error());
        return;
    }
    const int selected = Selected_Row_Count(grid);
    const int top = Selected_Top_Row(grid);
    if (selected < 1 || top < 1 || top + selected - 1 > count) {
        Show_Error(services_.Messages, this, No_Row_To_Delete_Error());
        return;
    }

    Select_Whole_Rows(grid);
    Date_Check_Pause pause(*Change_Of_Date_Check_Timer);
    // An entry from an address book would come back at the next sync: it
    // is hidden, and the sync leaves it out from then on.
    const std::vector<std::string> hidden = Contact_Keys_In(top, selected);
    if (hidden.empty()) {
        if (!Confirmed(services_.Messages, this, Delete_Rows_Question(selected))) {
            return;
        }
    } else if (!Confirmed_Hiding(top, selected) || !Keep_Hidden_Contacts(hidden)) {
        return;
    }

    Event_Array.Remove_Run(top, selected);
    for (int row = count - selected + 1; row <= count; ++row) {
        for (int col = 0; col < grid.Col_Count(); ++col) {
            grid.Set_Cell(col, row, QString());
        }
    }
    Refresh_StringGrid_From_Array_ButtonClick();
    const int remaining = Event_Array.Event_Count();
    if (top <= remaining) {
        Select_Row(grid, top);
    } else if (remaining > 0) {
        Select_Row(grid, remaining);
    }
}

void TMainForm1::Reset_Data_BitBtnClick() {
    if (Confirmed(services_.Messages, this, Erase_All_Question())) {
        Event_Array.Initialise_Entire_Array_ButtonClick();
        Add_Modify_Form->Set_Name(QString());
        Add_Modify_Form->Set_Event_Type(QString());
        Add_Modify_Form->Set_Calendar_Date(services_.Time.Today());
        Add_Modify_Form->Attribute_Controls->Set_Attributes({});
        Add_Modify_Form->Set_From_Contact(false);
    }
    Refresh_StringGrid_From_Array_ButtonClick();
}

void TMainForm1::Undo_Deletes_Menu_OptionClick() {
    if (Undo_Restore()) {
        return;
    }
    if (!Confirmed(services_.Messages, this, Undo_Question())) {
        return;
    }
    // Without a file, or after a failed read, the list no longer matches the
    // grid; rows shown from the old list would send later commands to the
    // wrong entries.
    if (!Load_Data_From_File_ButtonClick()) {
        Refresh_StringGrid_From_Array_ButtonClick();
    }
}

void TMainForm1::Add_Data_Menu_OptionClick() {
    Add_Entry_BitBtnClick();
}

void TMainForm1::Edit_Data_Menu_OptionClick() {
    Edit_Entry_BitBtnClick();
}

void TMainForm1::Delete_Selected_Rows_Menu_OptionClick() {
    Delete_Selected_Rows_BitBtnClick();
}

void TMainForm1::Reset_Data_Menu_OptionClick() {
    Reset_Data_BitBtnClick();
}

void TMainForm1::Create_Test_Demo_Data_Menu_OptionClick() {
    Append_Demo_Data(Event_Array, services_.Time.Today());
    Refresh_StringGrid_From_Array_ButtonClick();
    Select_Row(*Names_And_Events_StringGrid, 1);
}

}  // namespace tessaly
