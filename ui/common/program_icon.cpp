#include "ui/common/program_icon.h"

#include "core/program_identity.h"

namespace tessaly {

QString Built_In_Program_Icon_File(int size) {
    return QStringLiteral(":/icons/%1x%1/%2.png").arg(size).arg(QLatin1String(Application_Id));
}

QIcon Built_In_Program_Icon() {
    QIcon icon;
    for (const int size : Program_Icon_Sizes) {
        icon.addFile(Built_In_Program_Icon_File(size), QSize(size, size));
    }
    return icon;
}

QIcon Program_Icon() {
    return QIcon::fromTheme(QString::fromLatin1(Application_Id), Built_In_Program_Icon());
}

}  // namespace tessaly
