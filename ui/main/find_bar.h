#pragma once

#include <QWidget>

#include <vector>

#include "ui/main/row_search.h"

class QLabel;
class QLineEdit;
class QToolButton;

namespace tessaly {

class TFormatStringGrid;

// Find-as-you-type over the grid's rows: typing selects the next row whose
// searched columns hold the text, as the grid shows them. It selects rows and
// never hides one, so every command still acts on the rows the grid shows.
class Find_Bar : public QWidget {
    Q_OBJECT

public:
    // `columns` are the grid columns searched.
    Find_Bar(TFormatStringGrid& grid, std::vector<int> columns, QWidget* parent = nullptr);

    // Ready for typing, the old text selected; the next search starts after
    // the grid's current row.
    void Start();
    // The next (previous) matching row after (before) the current one,
    // wrapping round at the end (top).
    void Find_Next();
    void Find_Previous();
    // Whether the last search found nothing.
    bool No_Match() const { return no_match_; }

    QLineEdit* Find_Edit;
    QLabel* Find_Status_Label;
    QToolButton* Find_Next_Button;
    QToolButton* Find_Previous_Button;
    QToolButton* Close_Button;

signals:
    // Escape, or the close button.
    void Close_Requested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Text_Edited();
    void Search(int start, Find_Direction direction);
    // The rows' searched texts, folded; refolded only where a cell changed.
    const std::vector<QString>& Folded_Rows();
    void Show_Outcome(const Find_Outcome& outcome, Find_Direction direction);
    void Show_Status(const QString& shown, const QString& spoken, bool no_match);
    void Apply_No_Match_Colours();

    TFormatStringGrid& grid_;
    std::vector<int> columns_;
    std::vector<QString> shown_rows_;
    std::vector<QString> folded_rows_;
    // The row this bar selected last; 0 before the first match.
    int match_row_ = 0;
    bool no_match_ = false;
};

}  // namespace tessaly
