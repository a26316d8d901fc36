#include "ui/main/import_summary.h"

namespace tessaly {

QString Import_Summary(int imported, const std::vector<Skipped_Kind>& skipped, int without_year) {
    QString text;
    if (imported == 0) {
        text = QStringLiteral("No entries were imported.");
    } else if (imported == 1) {
        text =
            QStringLiteral("1 entry was imported and is now merged and sorted in the main list.");
    } else {
        text = QStringLiteral(
                   "%1 entries were imported and are now merged and sorted in the main "
                   "list.")
                   .arg(imported);
    }
    if (imported > 0 && without_year > 0) {
        text.chop(1);
        text +=
            QStringLiteral(", %1 of them without a year (shown without an age).").arg(without_year);
    }
    QString list;
    for (const Skipped_Kind& kind : skipped) {
        if (kind.Count <= 0) {
            continue;
        }
        list += QStringLiteral("\n%1 %2 %3")
                    .arg(kind.Count)
                    .arg(QString::fromLatin1(kind.Count == 1 ? kind.One : kind.Many), kind.Reason);
    }
    if (!list.isEmpty()) {
        text += QStringLiteral("\n\nSkipped:") + list;
    }
    return text;
}

}  // namespace tessaly
