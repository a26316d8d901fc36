#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

// No file of the program comes near this; anything larger is refused before
// it is read, so that a wrong file cannot exhaust memory.
inline constexpr std::uintmax_t Largest_Readable_File = 256u * 1024u * 1024u;

struct Atomic_Write_Options {
    // Before the new bytes replace an existing file, the previous file is kept
    // as "<name>.bak" beside it (replaced atomically, same permissions).
    bool Keep_Backup = false;
    // A new file takes this file's permissions, or the owner's alone where
    // it does not exist: copies of the user's list stay as private as the
    // list. Without it a new file gets the usual ones (0666 less the umask).
    std::optional<std::filesystem::path> Mode_Of;
};

// Replaces the file with the bytes so that it is never seen half-written: the
// bytes go to a temporary file beside it, which is flushed to disk and then
// renamed over the target. An existing target keeps its permissions. On any
// failure the target is untouched, the temporary file is removed and a
// File_Error with the operating system's text is thrown.
//
// Refused (File_Error, nothing written): a target that exists but is no
// regular file (a folder, a FIFO, a device), and a target without any write
// permission: that is how a user keeps a file from being changed, and
// renaming over it would succeed regardless.
//
// A symbolic link stays a link: the file it finally points to is written,
// and created when the link dangles.
void Write_File_Atomically(const std::filesystem::path& target, std::string_view bytes,
                           const Atomic_Write_Options& options = {});

// The whole file. Only a regular file of at most Largest_Readable_File bytes
// is read; it is opened without blocking, so a FIFO or device never hangs the
// caller. Throws File_Error with the operating system's or the program's text.
std::string Read_Whole_File(const std::filesystem::path& file);

// Removes the temporary files that saves of the target left behind when they
// were killed part-way. Only call it while no other process can be saving the
// same file (the window holds its instance lock). Returns how many it removed.
int Remove_Stale_Temporaries(const std::filesystem::path& target);

// The name of the backup that Keep_Backup keeps: "<target>.bak".
std::filesystem::path Backup_Path(const std::filesystem::path& target);

}  // namespace tessaly
