#pragma once

#include <compare>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dates.h"

namespace tessaly {

// Dated copies of the list: each save that changes the data file keeps the
// version it replaces in a folder beside it, so that a list emptied by
// mistake, by an import or by a sync can be brought back long after the
// single ".bak" has been written over.

// How many copies pruning keeps: the newest ones whatever their age, and the
// newest of each day back to this many days (today included).
inline constexpr int Backups_Kept_Newest = 20;
inline constexpr int Backup_Days_Kept = 30;
// Copies taken within one second are numbered 2 to this.
inline constexpr int Most_Backups_In_A_Second = 99;

// When a copy was taken, as its name says.
struct Backup_Stamp {
    Date_And_Time Taken;
    // 1 for the first copy of a second, 2 and on for later ones.
    int Number = 1;

    auto operator<=>(const Backup_Stamp&) const = default;
};

// "<stem> backups" beside the data file ("Tessaly backups" for Tessaly.dat):
// two lists in one folder never share, and so never prune, their copies.
std::filesystem::path Backup_Folder(const std::filesystem::path& data_file);

// "<stem> YYYY-MM-DD HH-MM-SS<extension>", with "_NN" before the extension
// from the second copy of a second on: names sort by date and time.
std::filesystem::path Backup_File_Name(const std::filesystem::path& data_file,
                                       const Backup_Stamp& stamp);

// The stamp in a name that is exactly a copy's name for this data file (a
// real date and time, a number from 2 to Most_Backups_In_A_Second); none for
// any other name, which is then no file of ours.
std::optional<Backup_Stamp> Read_Backup_File_Name(const std::filesystem::path& data_file,
                                                  const std::filesystem::path& name);

// The stamps that pruning removes at `now`: all but the newest
// Backups_Kept_Newest and the newest of each of the last Backup_Days_Kept
// days. Newest first.
std::vector<Backup_Stamp> Backups_To_Remove(std::vector<Backup_Stamp> stamps,
                                            const Date_And_Time& now);

// Keeps the bytes as a new copy taken at `now`, written atomically and as
// private as the data file; the folder is made when missing. Returns the
// copy's path. Throws File_Error.
std::filesystem::path Keep_Dated_Backup(const std::filesystem::path& data_file,
                                        std::string_view bytes, const Date_And_Time& now);

// Removes what Backups_To_Remove names, never `keep` (the copy just made,
// which a clock set back may name older than the rest), and the temporary
// files of copies whose writing was killed. Only regular files named exactly
// as ours are touched. Returns how many went. Throws File_Error naming the
// first file that could not be removed, after trying them all.
int Prune_Backups(const std::filesystem::path& data_file, const Date_And_Time& now,
                  const std::filesystem::path& keep = {});

// A copy as the restore offers it.
struct Backup_Version {
    std::filesystem::path File;
    Backup_Stamp Stamp;
    // As the loader reads the file; none when it cannot.
    std::optional<int> Entry_Count;
    // Why it could not be read.
    std::string Problem;
};

// Every copy of the data file, newest first, each read with the loader.
std::vector<Backup_Version> List_Backups(const std::filesystem::path& data_file);

}  // namespace tessaly
