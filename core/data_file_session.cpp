#include "core/data_file_session.h"

#include <exception>
#include <utility>

#include "core/atomic_file.h"
#include "core/dated_backups.h"
#include "core/errors.h"
#include "core/platform/process.h"

namespace tessaly {

namespace {

namespace fs = std::filesystem;

fs::path Safe_File_Name(const fs::path& file, int number) {
    fs::path name = file;
    name += ".unsaved";
    if (number > 1) {
        name += "-" + std::to_string(number);
    }
    return name;
}

}  // namespace

Data_File_Session::Data_File_Session(fs::path file) : file_(std::move(file)) {
    Event_List empty;
    known_bytes_ = Serialise_Data_File(empty);
    known_stamp_ = Stamp_Now();
}

Load_Result Data_File_Session::Load(Event_List& list, const Load_Options& options) {
    // Taken before reading: a change made while the file is read is then seen
    // as a change at the next save.
    const File_Stamp stamp = Stamp_Now();
    bool mismatched = false;
    Load_Options session_options = options;
    if (options.On_Count_Mismatch) {
        session_options.On_Count_Mismatch = [&](const std::string& message) {
            mismatched = true;
            options.On_Count_Mismatch(message);
        };
    }
    Load_Result result = Load_Result::No_File;
    try {
        result = Load_Data_From_File_ButtonClick(list, file_, session_options);
    } catch (const Load_Error&) {
        load_failed_ = true;
        known_bytes_ = Serialise_Data_File(list);
        known_stamp_ = stamp;
        throw;
    }
    load_failed_ = false;
    // A count the user was told disagrees is mended by the next save, which
    // writes the list as loaded; otherwise the file would tell them again at
    // every start.
    known_bytes_ = mismatched ? std::string() : Serialise_Data_File(list);
    known_stamp_ = stamp;
    return result;
}

Data_File_Session::Save_Result Data_File_Session::Save(const Event_List& list,
                                                       bool overwrite_changed) {
    const std::string bytes = Serialise_Data_File(list);
    const File_Stamp stamp = Stamp_Now();
    // Nothing to write: the file holds this list, or it was changed on disk
    // while the list here was not, and then the file's version is the newer.
    if (bytes == known_bytes_) {
        return Save_Result::Unchanged;
    }
    if (load_failed_) {
        const fs::path safe = Keep_Aside(list);
        throw File_Error("\"" + file_.string() +
                         "\" was not loaded, so it is not written over; your changes are in \"" +
                         safe.string() + "\".");
    }
    if (stamp != known_stamp_ && !overwrite_changed) {
        return Save_Result::Changed_On_Disk;
    }
    Check_Loadable(bytes, list.Event_Count());
    // Read before the write replaces it; the copy is made once the list is
    // safe, and a failure to read it only costs the copy.
    std::optional<std::string> previous;
    std::string unread;
    if (stamp.Exists) {
        try {
            previous = Read_Whole_File(file_);
        } catch (const Tessaly_Error& error) {
            unread = error.what();
        }
    }
    Atomic_Write_Options options;
    options.Keep_Backup = true;
    Write_File_Atomically(file_, bytes, options);
    known_bytes_ = bytes;
    known_stamp_ = Stamp_Now();
    if (!unread.empty()) {
        Report_Backup_Failure(
            "The list was saved, but its previous version could not be read "
            "to keep a backup of it: " +
            unread);
    } else if (previous && *previous != bytes) {
        Keep_Dated_Copy(*previous);
    }
    return Save_Result::Saved;
}

void Data_File_Session::Keep_Dated_Copy(const std::string& previous) {
    const Date_And_Time now = backup_clock_ ? backup_clock_() : Local_Time_Now();
    fs::path kept;
    try {
        kept = Keep_Dated_Backup(file_, previous, now);
    } catch (const std::exception& error) {
        Report_Backup_Failure(
            "The list was saved, but no backup of its previous version was kept: " +
            std::string(error.what()));
        return;
    }
    try {
        Prune_Backups(file_, now, kept);
    } catch (const std::exception& error) {
        Report_Backup_Failure(
            "The list was saved and its previous version kept, but old "
            "backups could not be removed: " +
            std::string(error.what()));
    }
}

void Data_File_Session::Report_Backup_Failure(const std::string& message) const {
    if (backup_failure_handler_) {
        backup_failure_handler_(message);
    }
}

fs::path Data_File_Session::Keep_Aside(const Event_List& list) {
    if (!safe_file_) {
        // A safe file of an earlier run may hold changes nobody has looked
        // at yet: this run takes a name of its own.
        int number = 1;
        std::error_code error;
        while (fs::exists(fs::symlink_status(Safe_File_Name(file_, number), error)) &&
               number < 1000) {
            ++number;
        }
        safe_file_ = Safe_File_Name(file_, number);
    }
    const std::string bytes = Serialise_Data_File(list);
    Check_Loadable(bytes, list.Event_Count());
    // As private as the list itself.
    Atomic_Write_Options options;
    options.Mode_Of = file_;
    Write_File_Atomically(*safe_file_, bytes, options);
    return *safe_file_;
}

}  // namespace tessaly
