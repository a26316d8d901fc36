#include "ui/main/find_bar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QToolButton>

#include "ui/main/grid_selection.h"
#include "widgets/contrast.h"
#include "widgets/format_string_grid.h"

namespace tessaly {

namespace {

// How far the field's background goes towards red when nothing matches:
// plain to see on light and dark fields alike, and the text stays readable.
constexpr double No_Match_Tint = 0.35;
const QColor No_Match_Red(220, 40, 40);

QColor Mixed(const QColor& from, const QColor& to, double share) {
    const auto mix = [share](int a, int b) { return static_cast<int>(a + (b - a) * share + 0.5); };
    return {mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue())};
}

QString Matches_Text(const Find_Outcome& outcome) {
    return outcome.Match_Count == 1 ? QStringLiteral("1 of 1 match")
                                    : QStringLiteral("%1 of %2 matches")
                                          .arg(outcome.Match_Number)
                                          .arg(outcome.Match_Count);
}

QToolButton* Bar_Button(QWidget* parent, const char* name, const QString& spoken,
                        const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setAccessibleName(spoken);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    return button;
}

}  // namespace

Find_Bar::Find_Bar(TFormatStringGrid& grid, std::vector<int> columns, QWidget* parent)
    : QWidget(parent), grid_(grid), columns_(std::move(columns)) {
    setObjectName(QStringLiteral("Find_Bar"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);

    auto* label = new QLabel(QStringLiteral("Find:"), this);
    Find_Edit = new QLineEdit(this);
    Find_Edit->setObjectName(QStringLiteral("Find_Edit"));
    Find_Edit->setAccessibleName(QStringLiteral("Find"));
    Find_Edit->setPlaceholderText(QStringLiteral("Name, event type or comment"));
    label->setBuddy(Find_Edit);

    Find_Previous_Button =
        Bar_Button(this, "Find_Previous_Button", QStringLiteral("Previous match"),
                   QStringLiteral("Previous match (Shift+F3)"));
    Find_Previous_Button->setArrowType(Qt::UpArrow);
    Find_Next_Button = Bar_Button(this, "Find_Next_Button", QStringLiteral("Next match"),
                                  QStringLiteral("Next match (F3)"));
    Find_Next_Button->setArrowType(Qt::DownArrow);

    Find_Status_Label = new QLabel(this);
    Find_Status_Label->setObjectName(QStringLiteral("Find_Status_Label"));
    Find_Status_Label->setMinimumWidth(
        Find_Status_Label->fontMetrics().horizontalAdvance(QStringLiteral("888 of 888 matches")));

    Close_Button = Bar_Button(this, "Close_Button", QStringLiteral("Close the find bar"),
                              QStringLiteral("Close the find bar (Escape)"));
    Close_Button->setText(QStringLiteral("\u00d7"));

    layout->addWidget(label);
    layout->addWidget(Find_Edit, 1);
    layout->addWidget(Find_Previous_Button);
    layout->addWidget(Find_Next_Button);
    layout->addWidget(Find_Status_Label, 2);
    layout->addWidget(Close_Button);

    connect(Find_Edit, &QLineEdit::textEdited, this, &Find_Bar::Text_Edited);
    connect(Find_Next_Button, &QToolButton::clicked, this, &Find_Bar::Find_Next);
    connect(Find_Previous_Button, &QToolButton::clicked, this, &Find_Bar::Find_Previous);
    connect(Close_Button, &QToolButton::clicked, this, &Find_Bar::Close_Requested);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &Find_Bar::Close_Requested);
    Find_Edit->installEventFilter(this);
}

void Find_Bar::Start() {
    match_row_ = 0;
    Find_Edit->setFocus(Qt::ShortcutFocusReason);
    Find_Edit->selectAll();
}

void Find_Bar::Find_Next() {
    Search(grid_.Row() - grid_.Fixed_Rows() + 2, Find_Direction::Forward);
}

void Find_Bar::Find_Previous() {
    Search(grid_.Row() - grid_.Fixed_Rows(), Find_Direction::Backward);
}

void Find_Bar::Text_Edited() {
    const int current = grid_.Row() - grid_.Fixed_Rows() + 1;
    // More typed refines the match in hand; a first letter looks past the
    // row the user is on.
    Search(match_row_ != 0 && match_row_ == current ? current : current + 1,
           Find_Direction::Forward);
}

void Find_Bar::Search(int start, Find_Direction direction) {
    const QString folded = Find_Folded(Find_Edit->text());
    if (folded.isEmpty()) {
        Show_Status(QString(), QString(), false);
        return;
    }
    const Find_Outcome outcome = Find_Row(Folded_Rows(), folded, start, direction);
    if (outcome.Row == 0) {
        // The selection stays where it was.
        Show_Status(QStringLiteral("No match"), QStringLiteral("No match"), true);
        return;
    }
    const int grid_row = grid_.Fixed_Rows() + outcome.Row - 1;
    Select_Row(grid_, grid_row);
    grid_.Scroll_To(grid_.Fixed_Cols(), grid_row);
    match_row_ = outcome.Row;
    Show_Outcome(outcome, direction);
}

const std::vector<QString>& Find_Bar::Folded_Rows() {
    const int count = grid_.Placeholder_Row() ? 0 : grid_.Row_Count() - grid_.Fixed_Rows();
    shown_rows_.resize(static_cast<std::size_t>(count));
    folded_rows_.resize(static_cast<std::size_t>(count));
    for (int row = 0; row < count; ++row) {
        QString shown;
        for (const int col : columns_) {
            // A line between cells: no text found runs from one into the next.
            shown += grid_.Cell(col, grid_.Fixed_Rows() + row) + QLatin1Char('\n');
        }
        const auto at = static_cast<std::size_t>(row);
        if (shown != shown_rows_[at]) {
            folded_rows_[at] = Find_Folded(shown);
            shown_rows_[at] = std::move(shown);
        }
    }
    return folded_rows_;
}

void Find_Bar::Show_Outcome(const Find_Outcome& outcome, Find_Direction direction) {
    QString shown = Matches_Text(outcome);
    if (outcome.Wrapped) {
        shown += direction == Find_Direction::Forward
                     ? QStringLiteral(". Reached the end, continued from the top")
                     : QStringLiteral(". Reached the top, continued from the bottom");
    }
    // A screen reader stays in the field: it hears which entry was found.
    const QString name = columns_.empty()
                             ? QString()
                             : grid_.Cell(columns_.front(), grid_.Fixed_Rows() + outcome.Row - 1);
    Show_Status(shown, name.isEmpty() ? shown : name + QStringLiteral(": ") + shown, false);
}

void Find_Bar::Show_Status(const QString& shown, const QString& spoken, bool no_match) {
    Find_Status_Label->setText(shown);
    // Qt tells a screen reader of the new description.
    if (Find_Edit->accessibleDescription() != spoken) {
        Find_Edit->setAccessibleDescription(spoken);
    }
    if (no_match != no_match_) {
        no_match_ = no_match;
        Apply_No_Match_Colours();
    }
}

void Find_Bar::Apply_No_Match_Colours() {
    if (!no_match_) {
        Find_Edit->setPalette(QPalette());
        return;
    }
    QPalette tinted = palette();
    const QColor background = Mixed(tinted.color(QPalette::Base), No_Match_Red, No_Match_Tint);
    tinted.setColor(QPalette::Base, background);
    tinted.setColor(QPalette::Text, Readable_Text(tinted.color(QPalette::Text), background));
    Find_Edit->setPalette(tinted);
}

bool Find_Bar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Find_Edit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (key->modifiers().testFlag(Qt::ShiftModifier)) {
                Find_Previous();
            } else {
                Find_Next();
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Find_Bar::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The desktop's theme changed: the tint follows its field colour.
    if (event->type() == QEvent::PaletteChange && no_match_) {
        Apply_No_Match_Colours();
    }
}

}  // namespace tessaly
