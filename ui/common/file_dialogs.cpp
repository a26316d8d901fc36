#include "ui/common/file_dialogs.h"

#include "ui/common/qt_path.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLocale>
#include <QRegularExpression>
#include <QScreen>
#include <QSplitter>
#include <QStringList>
#include <QTimer>
#include <QTreeView>

#include <algorithm>

namespace tessaly {

namespace {

// Qt's own dialog cuts longer names and dates in its columns: the date
// column takes a whole date, the name column a long name as far as the view
// has room, the type what is left of it, and the places at the left what the
// name leaves, enough to show a
// folder's name rather than its first letters. The desktop's dialogs size
// their own columns.
void Widen_Columns(QFileDialog& dialog) {
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (view == nullptr || view->header()->count() <= 3) {
        return;
    }
    QHeaderView& header = *view->header();
    const QFontMetrics metrics(view->font());
    const QString date = QLocale::system().toString(QDateTime(QDate(2026, 12, 30), QTime(23, 59)),
                                                    QLocale::ShortFormat);
    header.resizeSection(3, std::max(header.sectionSize(3), metrics.horizontalAdvance(date) + 24));
    const int others = header.sectionSize(1) + header.sectionSize(2) + header.sectionSize(3);
    // Room for the file's icon and the cell's margins beside the name.
    const int long_name =
        metrics.horizontalAdvance(QString(40, u'n')) + view->iconSize().width() + 24;

    int view_width = view->viewport()->width();
    auto* splitter = dialog.findChild<QSplitter*>(QStringLiteral("splitter"));
    if (splitter != nullptr && splitter->count() == 2) {
        const QList<int> sizes = splitter->sizes();
        const int total = sizes[0] + sizes[1];
        // The view's frame and scroll bar beside its viewport.
        const int around = sizes[1] - view_width;
        const int wanted =
            QFontMetrics(splitter->widget(0)->font()).horizontalAdvance(QString(16, u'n')) + 40;
        const int places = std::clamp(total - around - others - long_name, std::min(sizes[0], 60),
                                      std::max(wanted, std::min(sizes[0], 60)));
        splitter->setSizes({places, total - places});
        view_width = total - places - around;
    }
    // A width the user gave the name before stays, as far as the view has
    // room.
    const int room = view_width - others;
    header.resizeSection(
        0, std::max(std::min(long_name, room), std::min(header.sectionSize(0), room)));
    // What is left widens the type ("CSV Document") as far as it needs.
    const int spare = room - header.sectionSize(0);
    const int type_more =
        std::min(metrics.horizontalAdvance(QString(14, u'n')) + 16 - header.sectionSize(2), spare);
    if (type_more > 0) {
        header.resizeSection(2, header.sectionSize(2) + type_more);
    }
}

// Qt's own dialog opens small; this size shows its columns, within the
// screen the dialog opens on.
void Give_Readable_Size(QFileDialog& dialog, QWidget* parent) {
    const QSize readable(900, 560);
    const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    const QSize room = screen != nullptr ? screen->availableGeometry().size() * 9 / 10 : readable;
    dialog.resize(readable.boundedTo(room));
    dialog.setViewMode(QFileDialog::Detail);
    // Once it is shown, when the view knows its width.
    QTimer::singleShot(0, &dialog, [&dialog] { Widen_Columns(dialog); });
}

std::optional<std::filesystem::path> Chosen_File(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return From_Qt_Path(dialog.selectedFiles().front());
}

}  // namespace

std::optional<std::filesystem::path> Qt_File_Dialogs::Get_Open_File_Name(
    QWidget* parent, const Open_File_Request& request) {
    QFileDialog dialog(parent, request.Caption, To_Qt_Path(request.Start_Folder),
                       To_Qt_Filter(request.Filters,
                                    Has_Option(request.Options, File_Dialog_Option::Ignore_Case)));
    dialog.setOptions(To_Qt_Options(request.Options));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    Give_Readable_Size(dialog, parent);
    return Chosen_File(dialog);
}

std::optional<std::filesystem::path> Qt_File_Dialogs::Get_Save_File_Name(
    QWidget* parent, const Save_File_Request& request) {
    QFileDialog dialog(parent, request.Caption, To_Qt_Path(request.Start_Folder),
                       To_Qt_Filter(request.Filters));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.Default_Suffix);
    dialog.selectFile(request.Default_Name);
    Give_Readable_Size(dialog, parent);
    return Chosen_File(dialog);
}

namespace {

// Patterns that already hold a set are left as they are.
QString Without_Case(const QString& pattern) {
    if (pattern.contains('[')) {
        return pattern;
    }
    QString any_case;
    for (const QChar c : pattern) {
        if (c.isLetter() && c.toLower() != c.toUpper()) {
            any_case += '[' + QString(c.toLower()) + QString(c.toUpper()) + ']';
        } else {
            any_case += c;
        }
    }
    return any_case;
}

}  // namespace

QString To_Qt_Filter(const std::vector<File_Filter>& filters, bool ignore_case,
                     Pattern_Dialect dialect) {
    const bool add_sets = ignore_case && dialect == Pattern_Dialect::Sets;
    QStringList entries;
    for (const File_Filter& filter : filters) {
        const QStringList patterns = filter.Patterns.split(
            QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts);
        // "*.*" means every file on Windows; Qt would want a dot in the name.
        QStringList qt_patterns;
        for (const QString& pattern : patterns) {
            const QString qt_pattern =
                pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern;
            qt_patterns << (add_sets ? Without_Case(qt_pattern) : qt_pattern);
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

}  // namespace tessaly
