#pragma once

#include <QLabel>

#include <functional>

namespace tessaly {

// A label drawn as a link that works as one from the keyboard: it takes the
// focus with Tab, shows a frame while it has it, opens with Enter or Space,
// and reads to a screen reader as a link named by its text.
class Keyboard_Link final : public QLabel {
    Q_OBJECT

public:
    explicit Keyboard_Link(QWidget* parent = nullptr);

    void Set_Open(std::function<void()> open) { open_ = std::move(open); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    std::function<void()> open_;
};

}  // namespace tessaly
