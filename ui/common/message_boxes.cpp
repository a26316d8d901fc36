#include "ui/common/message_boxes.h"

#include <QMessageBox>

#include "ui/common/text.h"

namespace tessaly {

Message_Answer Qt_Message_Boxes::Show(QWidget* parent, Message_Kind kind, const QString& caption,
                                      const QString& text) {
    switch (kind) {
        case Message_Kind::Error:
            QMessageBox::critical(parent, caption, text);
            return Message_Answer::Ok;
        case Message_Kind::Information:
            QMessageBox::information(parent, caption, text);
            return Message_Answer::Ok;
        case Message_Kind::Warning:
            return QMessageBox::warning(parent, caption, text, QMessageBox::Yes | QMessageBox::No,
                                        QMessageBox::No) == QMessageBox::Yes
                       ? Message_Answer::Yes
                       : Message_Answer::No;
        case Message_Kind::Confirmation:
            return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No,
                                         QMessageBox::No) == QMessageBox::Yes
                       ? Message_Answer::Yes
                       : Message_Answer::No;
    }
    return Message_Answer::No;
}

QString Message_Text(const std::string& text) {
    QString converted = From_File_Text(text);
    converted.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return converted;
}

}  // namespace tessaly
