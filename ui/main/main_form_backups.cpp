// The list's dated backups in the main window: their clock, a backup that
// could not be kept, and the restore with its undo.
#include <exception>
#include <string>
#include <vector>

#include "core/data_file.h"
#include "core/dated_backups.h"
#include "core/errors.h"
#include "ui/common/clock.h"
#include "ui/common/message_boxes.h"
#include "ui/common/qt_path.h"
#include "ui/common/wait_cursor.h"
#include "ui/dialogs/restore_backup_form.h"
#include "ui/main/grid_selection.h"
#include "ui/main/main_form.h"
#include "ui/main/main_form_messages.h"

namespace tessaly {

namespace {

Date_And_Time Date_And_Time_Of(const QDateTime& now) {
    const QDate date = now.date();
    const QTime time = now.time();
    return {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
}

QString No_Backups_Notice(const std::filesystem::path& folder) {
    return QStringLiteral(
               "There is no backup of the list yet.\n\nEach save that changes the list keeps the "
               "version it replaces in \"%1\".")
        .arg(To_Qt_Path(folder));
}

QString Undo_Restore_Question() {
    return QStringLiteral(
        "Do you want to undo the restore? The list goes back to what it was before it, and is "
        "saved.");
}

}  // namespace

void TMainForm1::Set_Up_Backups() {
    data_file_.Set_Backup_Clock([this] { return Date_And_Time_Of(services_.Time.Now()); });
    // Said each time: a list without backups is one mistake from being lost.
    data_file_.Set_Backup_Failure_Handler([this](const std::string& message) {
        Show_Error(services_.Messages, this, Failure_Sentence(File_Error(message)));
    });
}

void TMainForm1::Restore_From_Backup_Menu_OptionClick() {
    std::vector<Backup_Version> backups;
    {
        const Wait_Cursor wait;
        backups = List_Backups(Data_File());
    }
    if (backups.empty()) {
        Show_Information(services_.Messages, this, No_Backups_Notice(Backup_Folder(Data_File())));
        return;
    }
    Qt_Backup_Prompts own_dialog(short_date_);
    Backup_Prompts& prompts =
        services_.Backup_Questions != nullptr ? *services_.Backup_Questions : own_dialog;
    const std::optional<std::filesystem::path> chosen = prompts.Choose_Backup(this, backups);
    if (!chosen) {
        return;
    }
    Event_List restored;
    try {
        if (tessaly::Load_Data_From_File_ButtonClick(restored, *chosen) == Load_Result::No_File) {
            throw File_Error("\"" + chosen->string() + "\" is gone");
        }
    } catch (const std::exception& error) {
        Show_Error(services_.Messages, this, Failure_Sentence(error));
        return;
    }
    before_restore_ = Event_Array;
    Event_Array = restored;
    Refresh_StringGrid_From_Array_ButtonClick();
    // Taken after the refresh, which sorts the list.
    restored_bytes_ = Serialise_Data_File(Event_Array);
    Select_Row(*Names_And_Events_StringGrid, 1);
    // The save keeps the list it replaces as a backup of its own.
    Save_After_Change();
}

bool TMainForm1::Undo_Restore() {
    if (!before_restore_) {
        return false;
    }
    // Changed since: the restore is no longer the last change to undo.
    if (Serialise_Data_File(Event_Array) != restored_bytes_) {
        before_restore_.reset();
        return false;
    }
    if (!Confirmed(services_.Messages, this, Undo_Restore_Question())) {
        return true;
    }
    Event_Array = *before_restore_;
    before_restore_.reset();
    Refresh_StringGrid_From_Array_ButtonClick();
    Select_Row(*Names_And_Events_StringGrid, 1);
    Save_After_Change();
    return true;
}

}  // namespace tessaly
