#include "ui/common/message_layout.h"

#include <QFontMetrics>
#include <QLabel>
#include <QScreen>
#include <QStringList>

#include <algorithm>

namespace tessaly {

namespace {

constexpr char16_t Word_Joiner = 0x2060;

bool Is_Word_Character(QChar c) {
    return c.isLetterOrNumber();
}

void Join_Hyphens(QString& out, const QString& text, qsizetype from, qsizetype to) {
    for (qsizetype i = from; i < to; ++i) {
        out += text[i];
        if (text[i] == u'-' && i > from && i + 1 < to && Is_Word_Character(text[i - 1]) &&
            Is_Word_Character(text[i + 1])) {
            out += QChar(Word_Joiner);
        }
    }
}

}  // namespace

QString Unbreakable_Hyphens(const QString& text) {
    QString out;
    out.reserve(text.size() + 8);
    Join_Hyphens(out, text, 0, text.size());
    return out;
}

QString Unbreakable_Hyphens_In_Rich_Text(const QString& html) {
    QString out;
    out.reserve(html.size() + 8);
    qsizetype at = 0;
    while (at < html.size()) {
        const qsizetype tag = html.indexOf(u'<', at);
        const qsizetype text_end = tag < 0 ? html.size() : tag;
        Join_Hyphens(out, html, at, text_end);
        if (tag < 0) {
            break;
        }
        const qsizetype tag_end = html.indexOf(u'>', tag);
        const qsizetype next = tag_end < 0 ? html.size() : tag_end + 1;
        out += QStringView(html).mid(tag, next - tag);
        at = next;
    }
    return out;
}

Fitted_Message_Box::Fitted_Message_Box(Icon icon, const QString& caption, const QString& text,
                                       StandardButtons buttons, QWidget* parent)
    : QMessageBox(icon, caption, Unbreakable_Hyphens(text), buttons, parent), text_(text) {
    // The texts are the program's own and the names it quotes: never markup.
    setTextFormat(Qt::PlainText);
}

void Fitted_Message_Box::showEvent(QShowEvent* event) {
    // Before the box sizes itself, which it does as it is shown.
    Fit_To_Lines();
    QMessageBox::showEvent(event);
}

// The box takes the label's minimum width as its own; a label that must be
// as wide as its longest line makes the box so.
void Fitted_Message_Box::Fit_To_Lines() {
    auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (label == nullptr) {
        return;
    }
    const QFontMetrics metrics(label->font());
    int longest = 0;
    for (const QString& line : text_.split(u'\n')) {
        longest = std::max(longest, metrics.horizontalAdvance(line));
    }
    // What the icon, the margins and the spacing take beside the text.
    const int beside = std::max(sizeHint().width() - label->sizeHint().width(), 0);
    // Qt lets a message box be as wide as a small screen, and on a larger
    // one up to 1000 pixels, leaving the rest of the screen free; a label
    // wider than that would be cut rather than wrapped.
    const QScreen* shown_on = screen();
    const int screen_width = shown_on != nullptr ? shown_on->availableGeometry().width() : 1024;
    const int widest = screen_width <= 1024 ? screen_width : std::min(screen_width - 480, 1000);
    // A few pixels spare: text measured and text laid out may round apart.
    // The window's frame is not known before it is shown; this allows for one.
    constexpr int Frame_Allowance = 16;
    label->setMinimumWidth(
        std::clamp(longest + 4, 0, std::max(widest - beside - Frame_Allowance, 0)));
}

}  // namespace tessaly
