#pragma once

#include <QMessageBox>
#include <QString>

class QLabel;

namespace tessaly {

// The text with a word joiner after every hyphen between two letters or
// digits ("Start-Up"), so that a line never breaks inside a hyphenated word.
// The joiner takes no room and is not seen.
QString Unbreakable_Hyphens(const QString& text);

// The same for the text of a label shown as rich text: only the text between
// the tags changes.
QString Unbreakable_Hyphens_In_Rich_Text(const QString& html);

// A message box whose text keeps its own line breaks: Qt wraps a message at
// about half the screen's width, which leaves single words on lines of their
// own. This box is as wide as the longest line of its text, up to the width
// Qt allows a message box on its screen (the whole width of a small screen,
// 1000 pixels on a large one); only a line longer than that wraps, and never
// inside a hyphenated word.
class Fitted_Message_Box final : public QMessageBox {
public:
    Fitted_Message_Box(Icon icon, const QString& caption, const QString& text,
                       StandardButtons buttons, QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Fit_To_Lines();

    QString text_;
};

}  // namespace tessaly
