#include "ui/common/qt_path.h"

#include <QFile>

namespace tessaly {

QString To_Qt_Path(const std::filesystem::path& path) {
#if defined(_WIN32)
    return QString::fromStdWString(path.native());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

std::filesystem::path From_Qt_Path(const QString& path) {
#if defined(_WIN32)
    // Qt separates with slashes; Windows shows and stores backslashes (the
    // Run value, the shortcut's target, every path a message names).
    return std::filesystem::path(path.toStdWString()).make_preferred();
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

QByteArray Path_Bytes(const std::filesystem::path& path) {
    const auto& native = path.native();
    return QByteArray(reinterpret_cast<const char*>(native.data()),
                      static_cast<qsizetype>(native.size() * sizeof(native[0])));
}

}  // namespace tessaly
