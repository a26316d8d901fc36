#include "ui/main/radio_group.h"

#include <QButtonGroup>
#include <QEvent>
#include <QRadioButton>

#include <algorithm>

namespace tessaly {

Radio_Group::Radio_Group(QWidget* parent) : QGroupBox(parent), group_(new QButtonGroup(this)) {
    connect(group_, &QButtonGroup::idClicked, this, [this](int id) {
        if (id != last_clicked_) {
            last_clicked_ = id;
            emit Clicked();
        }
    });
}

QStringList Radio_Group::Items() const {
    QStringList items;
    for (const QRadioButton* button : buttons_) {
        items << button->text();
    }
    return items;
}

void Radio_Group::Clear_Items() {
    for (QRadioButton* button : buttons_) {
        group_->removeButton(button);
        delete button;
    }
    buttons_.clear();
    last_clicked_ = -1;
}

void Radio_Group::Add_Item(const QString& text) {
    auto* button = new QRadioButton(text, this);
    group_->addButton(button, static_cast<int>(buttons_.size()));
    buttons_.push_back(button);
    Arrange_Buttons();
    button->show();
}

void Radio_Group::Set_Columns(int columns) {
    columns_ = std::max(columns, 1);
    Arrange_Buttons();
}

int Radio_Group::Item_Index() const {
    return group_->checkedId();
}

void Radio_Group::Set_Item_Index(int index) {
    const int count = static_cast<int>(buttons_.size());
    index = std::clamp(index, -1, count - 1);
    if (index >= 0) {
        buttons_[static_cast<std::size_t>(index)]->setChecked(true);
    } else if (QAbstractButton* checked = group_->checkedButton()) {
        // An exclusive group never lets its last checked button go.
        group_->setExclusive(false);
        checked->setChecked(false);
        group_->setExclusive(true);
    }
    last_clicked_ = Item_Index();
}

QRadioButton* Radio_Group::Button(int index) const {
    if (index < 0 || index >= static_cast<int>(buttons_.size())) {
        return nullptr;
    }
    return buttons_[static_cast<std::size_t>(index)];
}

void Radio_Group::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    Arrange_Buttons();
}

void Radio_Group::changeEvent(QEvent* event) {
    QGroupBox::changeEvent(event);
    // The caption's height decides where the first row of buttons sits.
    if (event->type() == QEvent::FontChange) {
        Arrange_Buttons();
    }
}

void Radio_Group::Arrange_Buttons() {
    const int count = static_cast<int>(buttons_.size());
    if (count == 0) {
        return;
    }
    // Items fill the columns top to bottom; the caption's text height is kept
    // free above them and what the rows leave over is shared above and below.
    const int per_column = (count + columns_ - 1) / columns_;
    const int text_height = fontMetrics().height();
    const int button_width = std::max((width() - 10) / columns_, 0);
    const int rows_height = std::max(height() - text_height - 5, 0);
    const int button_height = rows_height / per_column;
    const int top_margin = text_height + 1 + (rows_height % per_column) / 2;
    for (int i = 0; i < count; ++i) {
        buttons_[static_cast<std::size_t>(i)]->setGeometry(
            (i / per_column) * button_width + 8, (i % per_column) * button_height + top_margin,
            button_width, button_height);
    }
}

}  // namespace tessaly
