#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "core/data_file.h"
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
    Save_Result Save(const Event_List& list, bool overwrite_changed = false);

    // Puts the list in the safe file beside the data file, which it never
    // loads; returns that file. Throws File_Error.
    std::filesystem::path Keep_Aside(const Event_List& list);

    // True from a failed load until a load succeeds.
    bool Load_Failed() const { return load_failed_; }

private:
    File_Stamp Stamp_Now() const { return Current_File_Stamp(file_); }

    std::filesystem::path file_;
    bool load_failed_ = false;
    // What the file held as far as this session knows, as the list's bytes.
    std::string known_bytes_;
    File_Stamp known_stamp_;
    std::optional<std::filesystem::path> safe_file_;
};

}  // namespace tessaly
