#include "core/data_file_session.h"

#include <utility>

#include "core/atomic_file.h"
#include "core/errors.h"

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
    Atomic_Write_Options options;
    options.Keep_Backup = true;
    Write_File_Atomically(file_, bytes, options);
    known_bytes_ = bytes;
    known_stamp_ = Stamp_Now();
    return Save_Result::Saved;
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
