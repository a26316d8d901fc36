#include "core/dated_backups.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>
#include <system_error>
#include <utility>

#include "core/atomic_file.h"
#include "core/data_file.h"
#include "core/errors.h"
#include "core/event_list.h"
#include "core/platform/saving.h"

namespace tessaly {

namespace {

namespace fs = std::filesystem;

// Names are compared as UTF-8 on every system: string() is not UTF-8 on all.
std::string Utf8_Of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// "#" stands for a digit; every other character for itself.
constexpr std::string_view Stamp_Pattern = " ####-##-## ##-##-##";
constexpr std::string_view Number_Pattern = "_##";

bool Matches(std::string_view text, std::string_view pattern) {
    if (text.size() != pattern.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (pattern[i] == '#' ? !digit : text[i] != pattern[i]) {
            return false;
        }
    }
    return true;
}

int Digits(std::string_view text, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

std::int32_t Day_Of(const Date_And_Time& time) {
    return Day_Number_Of(time.Year, time.Month, time.Day);
}

// A hidden temporary file of an atomic write of one of our copies.
bool Is_Backup_Temporary(const fs::path& data_file, const std::string& name) {
    const std::size_t tail =
        std::strlen(detail::Temporary_Marker) + detail::Temporary_Random_Length;
    if (name.size() <= 1 + tail || name[0] != '.') {
        return false;
    }
    const std::string target = name.substr(1, name.size() - 1 - tail);
    return detail::Is_Temporary_Of(name, target) &&
           Read_Backup_File_Name(data_file, fs::path(std::u8string(target.begin(), target.end())));
}

[[noreturn]] void Throw_Backup_Error(const fs::path& file, const std::string& reason) {
    throw File_Error("Cannot keep a backup in \"" + file.string() + "\": " + reason);
}

// As private as the list: the list's read and write bits, with the search
// bit wherever the folder may be read; the owner can always use it.
fs::perms Folder_Permissions(fs::perms list) {
    using P = fs::perms;
    P folder = P::owner_all;
    if ((list & P::group_read) != P::none) {
        folder |= P::group_read | P::group_exec;
    }
    if ((list & P::others_read) != P::none) {
        folder |= P::others_read | P::others_exec;
    }
    return folder | (list & (P::group_write | P::others_write));
}

void Make_Backup_Folder(const fs::path& folder, const fs::path& data_file) {
    std::error_code error;
    // Followed: the user may point the folder elsewhere with a link.
    const fs::file_status status = fs::status(folder, error);
    if (fs::is_directory(status)) {
        return;
    }
    if (status.type() != fs::file_type::not_found) {
        Throw_Backup_Error(folder, error ? error.message() : "it is not a folder");
    }
    if (!fs::create_directory(folder, error) && error) {
        Throw_Backup_Error(folder, error.message());
    }
    const fs::file_status list = fs::status(data_file, error);
    if (!error) {
        // Left as made when this fails: the copies themselves stay private.
        fs::permissions(folder, Folder_Permissions(list.permissions()), error);
    }
}

struct Found_Backup {
    Backup_Stamp Stamp;
    fs::path File;
};

// Our copies in the folder (regular files only), and the temporaries of
// writes of them that were killed.
std::vector<Found_Backup> Find_Backups(const fs::path& data_file,
                                       std::vector<fs::path>* temporaries = nullptr) {
    std::vector<Found_Backup> found;
    std::error_code error;
    fs::directory_iterator entry(Backup_Folder(data_file), error);
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
        const fs::path& file = entry->path();
        std::error_code status_error;
        if (!fs::is_regular_file(fs::symlink_status(file, status_error))) {
            continue;
        }
        if (const auto stamp = Read_Backup_File_Name(data_file, file.filename())) {
            found.push_back({*stamp, file});
        } else if (temporaries != nullptr &&
                   Is_Backup_Temporary(data_file, Utf8_Of(file.filename()))) {
            temporaries->push_back(file);
        }
    }
    std::sort(found.begin(), found.end(),
              [](const Found_Backup& a, const Found_Backup& b) { return a.Stamp > b.Stamp; });
    return found;
}

}  // namespace

fs::path Backup_Folder(const fs::path& data_file) {
    fs::path name = data_file.stem();
    name += " backups";
    return data_file.parent_path() / name;
}

fs::path Backup_File_Name(const fs::path& data_file, const Backup_Stamp& stamp) {
    const Date_And_Time& t = stamp.Taken;
    char text[64];
    std::snprintf(text, sizeof text, " %04d-%02d-%02d %02d-%02d-%02d", t.Year, t.Month, t.Day,
                  t.Hour, t.Minute, t.Second);
    fs::path name = data_file.stem();
    name += text;
    if (stamp.Number > 1) {
        std::snprintf(text, sizeof text, "_%02d", stamp.Number);
        name += text;
    }
    name += data_file.extension();
    return name;
}

std::optional<Backup_Stamp> Read_Backup_File_Name(const fs::path& data_file, const fs::path& name) {
    const std::string stem = Utf8_Of(data_file.stem());
    const std::string extension = Utf8_Of(data_file.extension());
    const std::string text = Utf8_Of(name.filename());
    if (text.size() < stem.size() + Stamp_Pattern.size() + extension.size() ||
        !text.starts_with(stem) || !text.ends_with(extension)) {
        return std::nullopt;
    }
    const std::string_view middle =
        std::string_view(text).substr(stem.size(), text.size() - stem.size() - extension.size());
    const std::string_view stamp_text = middle.substr(0, Stamp_Pattern.size());
    const std::string_view number_text = middle.substr(Stamp_Pattern.size());
    if (!Matches(stamp_text, Stamp_Pattern) ||
        (!number_text.empty() && !Matches(number_text, Number_Pattern))) {
        return std::nullopt;
    }
    Backup_Stamp stamp;
    stamp.Taken = {Digits(stamp_text, 1, 4),  Digits(stamp_text, 6, 2),  Digits(stamp_text, 9, 2),
                   Digits(stamp_text, 12, 2), Digits(stamp_text, 15, 2), Digits(stamp_text, 18, 2)};
    stamp.Number = number_text.empty() ? 1 : Digits(number_text, 1, 2);
    const Date_And_Time& t = stamp.Taken;
    if (!Is_Valid_Civil_Date(t.Year, t.Month, t.Day) || t.Hour > 23 || t.Minute > 59 ||
        t.Second > 59 || stamp.Number < 1 || stamp.Number > Most_Backups_In_A_Second ||
        (!number_text.empty() && stamp.Number < 2)) {
        return std::nullopt;
    }
    return stamp;
}

std::vector<Backup_Stamp> Backups_To_Remove(std::vector<Backup_Stamp> stamps,
                                            const Date_And_Time& now) {
    std::sort(stamps.begin(), stamps.end(), std::greater<>());
    const std::int32_t today = Day_Of(now);
    std::vector<Backup_Stamp> removed;
    for (std::size_t i = 0; i < stamps.size(); ++i) {
        const std::int32_t day = Day_Of(stamps[i].Taken);
        // Newest first: the first of a day is the newest of it.
        const bool newest_of_day = i == 0 || Day_Of(stamps[i - 1].Taken) != day;
        const bool recent_day = day <= today && today - day < Backup_Days_Kept;
        const bool kept =
            i < static_cast<std::size_t>(Backups_Kept_Newest) || (newest_of_day && recent_day);
        if (!kept) {
            removed.push_back(stamps[i]);
        }
    }
    return removed;
}

fs::path Keep_Dated_Backup(const fs::path& data_file, std::string_view bytes,
                           const Date_And_Time& now) {
    const fs::path folder = Backup_Folder(data_file);
    Make_Backup_Folder(folder, data_file);
    for (Backup_Stamp stamp{now, 1}; stamp.Number <= Most_Backups_In_A_Second; ++stamp.Number) {
        const fs::path file = folder / Backup_File_Name(data_file, stamp);
        std::error_code error;
        if (fs::symlink_status(file, error).type() != fs::file_type::not_found) {
            continue;
        }
        Atomic_Write_Options options;
        options.Mode_Of = data_file;
        Write_File_Atomically(file, bytes, options);
        return file;
    }
    Throw_Backup_Error(folder, "it already holds " + std::to_string(Most_Backups_In_A_Second) +
                                   " backups taken this second");
}

int Prune_Backups(const fs::path& data_file, const Date_And_Time& now, const fs::path& keep) {
    std::vector<fs::path> doomed;
    const std::vector<Found_Backup> found = Find_Backups(data_file, &doomed);
    std::vector<Backup_Stamp> stamps;
    for (const Found_Backup& backup : found) {
        stamps.push_back(backup.Stamp);
    }
    const std::vector<Backup_Stamp> removed = Backups_To_Remove(std::move(stamps), now);
    for (const Found_Backup& backup : found) {
        if (std::binary_search(removed.begin(), removed.end(), backup.Stamp, std::greater<>()) &&
            backup.File.filename() != keep.filename()) {
            doomed.push_back(backup.File);
        }
    }
    int count = 0;
    std::string failure;
    for (const fs::path& file : doomed) {
        std::error_code error;
        if (fs::remove(file, error)) {
            ++count;
        } else if (error && failure.empty()) {
            failure = "Cannot remove the old backup \"" + file.string() + "\": " + error.message();
        }
    }
    if (!failure.empty()) {
        throw File_Error(failure);
    }
    return count;
}

std::vector<Backup_Version> List_Backups(const fs::path& data_file) {
    std::vector<Backup_Version> versions;
    for (const Found_Backup& backup : Find_Backups(data_file)) {
        Backup_Version version{backup.File, backup.Stamp, std::nullopt, {}};
        try {
            Event_List list;
            if (Load_Data_From_File_ButtonClick(list, backup.File) == Load_Result::Loaded) {
                version.Entry_Count = list.Event_Count();
            } else {
                version.Problem = "the file is gone";
            }
        } catch (const std::exception& error) {
            version.Problem = error.what();
        }
        versions.push_back(std::move(version));
    }
    return versions;
}

}  // namespace tessaly
