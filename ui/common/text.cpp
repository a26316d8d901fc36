#include "ui/common/text.h"

#include "core/text_encoding.h"

namespace tessaly {

QString From_File_Text(const std::string& bytes) {
    return QString::fromStdString(To_Display_UTF8(bytes));
}

QString From_File_Text_On_One_Line(const std::string& bytes) {
    return QString::fromStdString(Line_Breaks_As_Spaces(To_Display_UTF8(bytes)));
}

std::string To_File_Text(const QString& text) {
    return text.toStdString();
}

}  // namespace tessaly
