#include "ui/common/message_boxes.h"

#include <QMessageBox>

#include "ui/common/message_layout.h"
#include "ui/common/text.h"

namespace tessaly {

Message_Answer Qt_Message_Boxes::Show(QWidget* parent, Message_Kind kind, const QString& caption,
                                      const QString& text) {
    const bool question = kind == Message_Kind::Warning || kind == Message_Kind::Confirmation;
    const QMessageBox::Icon icon = kind == Message_Kind::Error         ? QMessageBox::Critical
                                   : kind == Message_Kind::Information ? QMessageBox::Information
                                   : kind == Message_Kind::Warning     ? QMessageBox::Warning
                                                                       : QMessageBox::Question;
    Fitted_Message_Box box(icon, caption, text,
                           question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
    box.setDefaultButton(question ? QMessageBox::No : QMessageBox::Ok);
    const int answer = box.exec();
    if (!question) {
        return Message_Answer::Ok;
    }
    return answer == QMessageBox::Yes ? Message_Answer::Yes : Message_Answer::No;
}

QString Message_Text(const std::string& text) {
    QString converted = From_File_Text(text);
    converted.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return converted;
}

}  // namespace tessaly
