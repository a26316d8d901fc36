#pragma once

#include <QLabel>

namespace tessaly {

// A caption with "&" marks as rich text for a label that is no control's
// buddy: each letter after a "&" underlined, as a menu shows its mnemonics,
// "&&" a literal "&", everything else escaped.
QString Mnemonic_Rich_Text(const QString& caption);

// A one-line label as wide as its text, whatever font or geometry it is
// given: the window's scaling sets a width from the design, but the text's
// width at the font actually used decides, so that nothing is cut off.
class Auto_Size_Label : public QLabel {
    Q_OBJECT

public:
    explicit Auto_Size_Label(const QString& text, QWidget* parent = nullptr);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Fit_Width();
};

// A line of text at the foot of a window that is never cut off: wrapped to
// as many lines as it needs at the width it is given, the window's layout
// making room for them. Its whole text is also its tooltip and accessible
// name, for a word too long for the width.
class Status_Line_Label : public QLabel {
    Q_OBJECT

public:
    explicit Status_Line_Label(QWidget* parent = nullptr);
    void Set_Status(const QString& text);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    int heightForWidth(int width) const override;
    // The layouts would ask the height for the width of the hint, not the
    // one given: the hint says the height for the width given instead.
    bool hasHeightForWidth() const override { return false; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Fit_Height();

    int fitted_height_ = 0;
};

}  // namespace tessaly
