#include "ui/main/row_search.h"

#include <algorithm>

namespace tessaly {

QString Find_Folded(const QString& text) {
    // Decomposed, an accented letter is its base letter and marks that can
    // be dropped.
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        const QChar::Category category = c.category();
        if (category != QChar::Mark_NonSpacing && category != QChar::Mark_Enclosing &&
            category != QChar::Mark_SpacingCombining) {
            folded += c;
        }
    }
    return folded.toCaseFolded();
}

Find_Outcome Find_Row(const std::vector<QString>& rows, const QString& folded_text, int start,
                      Find_Direction direction) {
    Find_Outcome outcome;
    const int count = static_cast<int>(rows.size());
    if (folded_text.isEmpty() || count == 0) {
        return outcome;
    }
    const auto matches = [&](int row) {
        return rows[static_cast<std::size_t>(row - 1)].contains(folded_text);
    };
    const int step = direction == Find_Direction::Forward ? 1 : -1;
    start = std::clamp(start, 0, count + 1);
    for (int k = 0; k < count; ++k) {
        int row = start + step * k;
        bool wrapped = false;
        if (row > count) {
            row -= count;
            wrapped = true;
        } else if (row < 1) {
            row += count;
            wrapped = true;
        }
        if (matches(row)) {
            outcome.Row = row;
            outcome.Wrapped = wrapped;
            break;
        }
    }
    if (outcome.Row == 0) {
        return outcome;
    }
    for (int row = 1; row <= count; ++row) {
        if (matches(row)) {
            ++outcome.Match_Count;
            if (row <= outcome.Row) {
                ++outcome.Match_Number;
            }
        }
    }
    return outcome;
}

}  // namespace tessaly
