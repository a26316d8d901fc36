#include "ui/main/exchange_folders.h"

#include <QDir>
#include <QStandardPaths>

#include "ui/common/qt_path.h"

namespace tessaly {

std::filesystem::path Exchange_Folders::Start_Folder(Exchange_Kind kind) const {
    const auto found = last_.find(kind);
    return found != last_.end() ? found->second : Documents_Folder();
}

void Exchange_Folders::Remember(Exchange_Kind kind, const std::filesystem::path& chosen_file) {
    last_[kind] = chosen_file.parent_path();
}

std::filesystem::path Documents_Folder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    // A desktop without one names a folder that is not there.
    if (!documents.isEmpty() && QDir(documents).exists()) {
        return From_Qt_Path(documents);
    }
    return From_Qt_Path(QDir::homePath());
}

}  // namespace tessaly
