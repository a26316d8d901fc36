#pragma once

#include <QString>

#include <vector>

namespace tessaly {

// One kind of line or date an import left out: "2 dates without a year (the
// list needs the year to tell the age)".
struct Skipped_Kind {
    int Count = 0;
    // "date" / "dates", then what is wrong with them and, where it helps,
    // why and where.
    const char* One = "";
    const char* Many = "";
    QString Reason;
};

// The summary of the contacts and CSV imports, in one pattern: how many
// entries came in, then, when anything was left out, a "Skipped:" list with
// one line per kind that occurred. Nothing imported reads "No entries were
// imported." with the same list. Entries imported without a year are
// counted in the first sentence.
QString Import_Summary(int imported, const std::vector<Skipped_Kind>& skipped,
                       int without_year = 0);

}  // namespace tessaly
