#pragma once

#include <QComboBox>

namespace tessaly {

// An editable drop-down box that assistive technology names by its
// accessible name (its label's text) and reads its text as its value. Qt
// on Linux names an editable box by its text, so a screen reader announced
// "Birthday" where the field is "Event Type".
class Labelled_Combo_Box final : public QComboBox {
    Q_OBJECT

public:
    explicit Labelled_Combo_Box(QWidget* parent = nullptr);
};

}  // namespace tessaly
