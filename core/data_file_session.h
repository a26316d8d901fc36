#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "core/data_file.h"
#include "core/dates.h"
#include "core/event_list.h"
#include "core/platform/file_stamp.h"

namespace tessaly {

// What the window knows of its data file between loads and saves, so that no
// save can write over a file it never read, over changes made to the file
// since, or write again what the file already holds.
class Data_File_Session {
public:
    explicit Data_File_Session(std::filesystem::path file);

    const std::filesystem::path& File() const { return file_; }

    // Loads as Load_Data_From_File_ButtonClick does. After a failure (thrown
    // on as it is) the file is never written over until a load succeeds.
    Load_Result Load(Event_List& list, const Load_Options& options);

    enum class Save_Result {
        Saved,
        // The list is what the file already holds: nothing was written.
        Unchanged,
        // The file was changed, created or removed by someone else since it
        // was loaded or last saved: nothing was written, the caller asks.
        Changed_On_Disk,
    };

    // Writes the list, keeping the previous file as its backup. With
    // overwrite_changed a file changed on disk is written over. Throws
    // File_Error when the write fails, and when the last load failed: the
    // list then goes to the safe file beside it and the message says so.
    //
    // When the file held other bytes, they are also kept as a dated copy in
    // Backup_Folder and the older copies are pruned (dated_backups.h). The
    // list matters more than its copy: a copy that cannot be kept or pruned
    // never stops the save; the failure handler is told instead.
    Save_Result Save(const Event_List& list, bool overwrite_changed = false);

    // The time the dated copies are named by; the system's local time when
    // none is given.
    void Set_Backup_Clock(std::function<Date_And_Time()> now) { backup_clock_ = std::move(now); }
    // Called, after the list is saved, with the text of a copy that could
    // not be kept or of old copies that could not be removed.
    void Set_Backup_Failure_Handler(std::function<void(const std::string& message)> handler) {
        backup_failure_handler_ = std::move(handler);
    }

    // Puts the list in the safe file beside the data file, which it never
    // loads; returns that file. Throws File_Error.
    std::filesystem::path Keep_Aside(const Event_List& list);

    // True from a failed load until a load succeeds.
    bool Load_Failed() const { return load_failed_; }

private:
    File_Stamp Stamp_Now() const { return Current_File_Stamp(file_); }
    // Keeps the bytes the file held before a save as a dated copy, and prunes.
    void Keep_Dated_Copy(const std::string& previous);
    void Report_Backup_Failure(const std::string& message) const;

    std::filesystem::path file_;
    bool load_failed_ = false;
    // What the file held as far as this session knows, as the list's bytes.
    std::string known_bytes_;
    File_Stamp known_stamp_;
    std::optional<std::filesystem::path> safe_file_;
    std::function<Date_And_Time()> backup_clock_;
    std::function<void(const std::string&)> backup_failure_handler_;
};

}  // namespace tessaly
