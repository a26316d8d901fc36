#include "core/old_layout_copy.h"

#include <system_error>

#include "core/atomic_file.h"
#include "core/data_file.h"
#include "core/errors.h"
#include "core/platform/saving.h"
#include "core/profile_file.h"

namespace tessaly {

namespace {

namespace fs = std::filesystem;

bool Present(const fs::path& path) {
    std::error_code error;
    // A dangling link is there too: it is the user's, not ours to replace.
    return fs::exists(fs::symlink_status(path, error));
}

bool Is_File(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

// Copies the file whole under a hidden name, then gives it its name by a
// hard link, which fails rather than replace a file that appeared meanwhile.
// Returns whether the copy took the name.
bool Copy_Without_Replacing(const fs::path& from, const fs::path& to) {
    const std::string bytes = Read_Whole_File(from);
    fs::path staged = to.parent_path() / ".";
    staged += to.filename();
    staged += ".copying";
    // The user's list stays as private as it was: owner only.
    Write_File_Atomically(staged, bytes, Atomic_Write_Options{.Mode_Of = to});
    std::error_code error;
    fs::create_hard_link(staged, to, error);
    if (error && !Present(to)) {
        // A file system without hard links (FAT on a stick): the name was
        // free a moment ago.
        error.clear();
        fs::rename(staged, to, error);
    }
    std::error_code ignored;
    fs::remove(staged, ignored);
    if (error && !Present(to)) {
        detail::Throw_File_Error("Cannot copy to", to, error.message());
    }
    return !error;
}

}  // namespace

std::optional<Old_Layout_Copy> Copy_Old_Layout_Files(const Program_Folders& folders,
                                                     const fs::path& old_folder) {
    if (!folders.Installed) {
        return std::nullopt;
    }
    std::error_code error;
    if (fs::equivalent(old_folder, folders.Data_Folder, error)) {
        return std::nullopt;
    }
    Old_Layout_Copy copy;
    copy.List_From = Data_File_Path(old_folder);
    copy.List_To = Data_File_Path(folders.Data_Folder);
    if (Present(copy.List_To) || !Is_File(copy.List_From)) {
        return std::nullopt;
    }
    if (!Copy_Without_Replacing(copy.List_From, copy.List_To)) {
        return std::nullopt;
    }
    const fs::path settings_from = Settings_File_Path(old_folder);
    const fs::path settings_to = Settings_File_Path(folders.Settings_Folder);
    if (!fs::equivalent(old_folder, folders.Settings_Folder, error) && Is_File(settings_from) &&
        !Present(settings_to)) {
        try {
            if (Copy_Without_Replacing(settings_from, settings_to)) {
                copy.Settings_From = settings_from;
                copy.Settings_To = settings_to;
            }
        } catch (const File_Error&) {
            // The list is what matters; the settings start from their defaults.
        }
    }
    return copy;
}

std::string Old_Layout_Copy_Message(const Old_Layout_Copy& copy) {
    std::string text = "Your list was copied from " + copy.List_From.string() + " to " +
                       copy.List_To.string() + "; the original stays where it was.";
    if (!copy.Settings_To.empty()) {
        text += "\r\n\r\nYour settings were copied from " + copy.Settings_From.string() + " to " +
                copy.Settings_To.string() + " as well.";
    }
    return text;
}

}  // namespace tessaly
