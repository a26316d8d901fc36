#include "report/report_rich_text.h"

#include <QColor>
#include <QFont>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

#include "core/text_encoding.h"

namespace tessaly {

namespace {

bool Breaks_Block(QChar c) {
    const char16_t code = c.unicode();
    return code == u'\n' || code == u'\r' || code == 0x2028 || code == 0x2029 || code == 0xFDD0 ||
           code == 0xFDD1;
}

QTextBlockFormat Block_Format_Of(const Report_Paragraph& paragraph) {
    QTextBlockFormat format;
    format.setAlignment(paragraph.Alignment == Paragraph_Alignment::Centre ? Qt::AlignHCenter
                                                                           : Qt::AlignLeft);
    return format;
}

}  // namespace

QTextCharFormat To_Text_Char_Format(const Char_Format& format) {
    QTextCharFormat result;
    result.setFontWeight(format.Bold ? QFont::Bold : QFont::Normal);
    result.setFontUnderline(format.Underline);
    result.setFontPointSize(format.Point_Size);
    // Without a colour the text follows the view's palette.
    if (format.Colour) {
        result.setForeground(QColor::fromRgb(static_cast<QRgb>(*format.Colour)));
    }
    return result;
}

QString Rich_Text_Of(const std::string& utf8) {
    QString text = QString::fromStdString(Line_Breaks_As_Spaces(utf8));
    for (QChar& c : text) {
        if (Breaks_Block(c)) {
            c = u'?';
        }
    }
    return text;
}

void Render_Report_Document(const Report_Document& document, QTextDocument& target) {
    target.clear();
    QFont font(QString::fromLatin1(Report_Font_Family));
    // Where the face is missing, any monospaced face keeps the columns.
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(Report_Default_Point_Size);
    target.setDefaultFont(font);

    QTextCursor cursor(&target);
    cursor.beginEditBlock();
    bool first = true;
    for (const Report_Paragraph& paragraph : document.Paragraphs) {
        // The block's own character format sets an empty line's height.
        const QTextCharFormat mark = To_Text_Char_Format(paragraph.Mark_Format);
        if (first) {
            cursor.setBlockFormat(Block_Format_Of(paragraph));
            cursor.setBlockCharFormat(mark);
            first = false;
        } else {
            cursor.insertBlock(Block_Format_Of(paragraph), mark);
        }
        for (const Text_Run& run : paragraph.Runs) {
            cursor.insertText(Rich_Text_Of(run.Text), To_Text_Char_Format(run.Format));
        }
    }
    cursor.endEditBlock();
}

}  // namespace tessaly
