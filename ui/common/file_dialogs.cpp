#include "ui/common/file_dialogs.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

namespace tessaly {

std::optional<std::filesystem::path> Qt_File_Dialogs::Get_Open_File_Name(
    QWidget* parent, const Open_File_Request& request) {
    const QString chosen = QFileDialog::getOpenFileName(
        parent, request.Caption, To_Qt_Path(request.Start_Folder), To_Qt_Filter(request.Filters),
        nullptr, To_Qt_Options(request.Options));
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return From_Qt_Path(chosen);
}

QString To_Qt_Filter(const std::vector<File_Filter>& filters) {
    QStringList entries;
    for (const File_Filter& filter : filters) {
        const QStringList patterns = filter.Patterns.split(
            QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts);
        // "*.*" means every file on Windows; Qt would want a dot in the name.
        QStringList qt_patterns;
        for (const QString& pattern : patterns) {
            qt_patterns << (pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern);
        }
        entries << QStringLiteral("%1 (%2)").arg(filter.Description, qt_patterns.join(' '));
    }
    return entries.join(QStringLiteral(";;"));
}

QFileDialog::Options To_Qt_Options(File_Dialog_Option options) {
    QFileDialog::Options qt_options;
    qt_options.setFlag(QFileDialog::ReadOnly, Has_Option(options, File_Dialog_Option::Read_Only));
    qt_options.setFlag(QFileDialog::DontResolveSymlinks,
                       Has_Option(options, File_Dialog_Option::Dont_Resolve_Symlinks));
    qt_options.setFlag(QFileDialog::HideNameFilterDetails,
                       Has_Option(options, File_Dialog_Option::Hide_Filter_Details));
    qt_options.setFlag(QFileDialog::DontUseNativeDialog,
                       Has_Option(options, File_Dialog_Option::Dont_Use_Native_Dialog));
    return qt_options;
}

QString To_Qt_Path(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

std::filesystem::path From_Qt_Path(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

}  // namespace tessaly
