#pragma once

#include <QString>

#include <vector>

namespace tessaly {

// A text as find-as-you-type compares it: without accents and in one case,
// so that "zoe" finds "Zoë" and "ZOE".
QString Find_Folded(const QString& text);

enum class Find_Direction { Forward, Backward };

struct Find_Outcome {
    // The row found, 1 for the first; 0 when no row holds the text.
    int Row = 0;
    // The search ran past the last (first) row and went on from the other end.
    bool Wrapped = false;
    // The found row's place among all matching rows, and how many match.
    int Match_Number = 0;
    int Match_Count = 0;
};

// Finds the first row from `start` on, in `direction`, whose folded text
// holds `folded_text`; rows[i] is row i + 1. `start` runs from 0 to the row
// count + 1: one past either end begins at the other end, as a wrap. An empty
// text matches nothing.
Find_Outcome Find_Row(const std::vector<QString>& rows, const QString& folded_text, int start,
                      Find_Direction direction);

}  // namespace tessaly
