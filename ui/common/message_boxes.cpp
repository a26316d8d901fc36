#include "ui/common/message_boxes.h"

#include <QMessageBox>
#include <QPushButton>

#include "ui/common/message_layout.h"
#include "ui/common/text.h"

namespace tessaly {

namespace {

Message_Answer Show_Box(QWidget* parent, Message_Kind kind, const QString& caption,
                        const QString& text, const QString& yes_caption,
                        const QString& no_caption) {
    const bool question = kind == Message_Kind::Warning || kind == Message_Kind::Confirmation;
    const QMessageBox::Icon icon = kind == Message_Kind::Error         ? QMessageBox::Critical
                                   : kind == Message_Kind::Information ? QMessageBox::Information
                                   : kind == Message_Kind::Warning     ? QMessageBox::Warning
                                                                       : QMessageBox::Question;
    Fitted_Message_Box box(icon, caption, text,
                           question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
    box.setDefaultButton(question ? QMessageBox::No : QMessageBox::Ok);
    if (question && !yes_caption.isEmpty()) {
        box.button(QMessageBox::Yes)->setText(yes_caption);
        box.button(QMessageBox::No)->setText(no_caption);
    }
    const int answer = box.exec();
    if (!question) {
        return Message_Answer::Ok;
    }
    return answer == QMessageBox::Yes ? Message_Answer::Yes : Message_Answer::No;
}

}  // namespace

Message_Answer Qt_Message_Boxes::Show(QWidget* parent, Message_Kind kind, const QString& caption,
                                      const QString& text) {
    return Show_Box(parent, kind, caption, text, QString(), QString());
}

Message_Answer Qt_Message_Boxes::Ask(QWidget* parent, Message_Kind kind, const QString& caption,
                                     const QString& text, const QString& yes_caption,
                                     const QString& no_caption) {
    return Show_Box(parent, kind, caption, text, yes_caption, no_caption);
}

QString Message_Text(const std::string& text) {
    QString converted = From_File_Text(text);
    converted.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return converted;
}

}  // namespace tessaly
