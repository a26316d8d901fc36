#include "ui/dialogs/restore_backup_form.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

#include "ui/common/qt_path.h"
#include "ui/common/text.h"

namespace tessaly {

QString Backup_Row_Text(const Backup_Version& backup, const Short_Date_Formatter& short_date) {
    const Date_And_Time& t = backup.Stamp.Taken;
    const Day_Number day = Day_Number_Of(t.Year, t.Month, t.Day);
    QString text = QString::fromStdString(Day_Name_Of(day)) + QStringLiteral(" ") +
                   From_File_Text(Format_Short_Date(short_date, day)) +
                   QStringLiteral(" %1:%2:%3")
                       .arg(t.Hour, 2, 10, QLatin1Char('0'))
                       .arg(t.Minute, 2, 10, QLatin1Char('0'))
                       .arg(t.Second, 2, 10, QLatin1Char('0'));
    if (!backup.Entry_Count) {
        return text + QStringLiteral(", cannot be read: ") + From_File_Text(backup.Problem);
    }
    return text + (*backup.Entry_Count == 1
                       ? QStringLiteral(", 1 entry")
                       : QStringLiteral(", %1 entries").arg(*backup.Entry_Count));
}

TRestore_Backup_Form::TRestore_Backup_Form(std::vector<Backup_Version> backups,
                                           const Short_Date_Formatter& short_date, QWidget* parent)
    : QDialog(parent), backups_(std::move(backups)) {
    setObjectName(QStringLiteral("Restore_Backup_Form"));
    setWindowTitle(QStringLiteral("Restore from Backup"));

    Intro_Label = new QLabel(
        QStringLiteral("Choose the version of the list to go back to. The list as it is now is "
                       "kept as a backup too, and Undo in the Data menu takes the restore back."),
        this);
    Intro_Label->setObjectName(QStringLiteral("Intro_Label"));
    Intro_Label->setWordWrap(true);

    Backups_ListBox = new QListWidget(this);
    Backups_ListBox->setObjectName(QStringLiteral("Backups_ListBox"));
    Backups_ListBox->setAccessibleName(QStringLiteral("Backups, newest first"));
    Backups_ListBox->setMinimumWidth(Backups_ListBox->fontMetrics().averageCharWidth() * 48);
    for (const Backup_Version& backup : backups_) {
        auto* item = new QListWidgetItem(Backup_Row_Text(backup, short_date), Backups_ListBox);
        item->setToolTip(To_Qt_Path(backup.File));
    }
    auto* list_label = new QLabel(QStringLiteral("&Backups, newest first:"), this);
    list_label->setBuddy(Backups_ListBox);

    Buttons = new QDialogButtonBox(this);
    Restore_Button = Buttons->addButton(QStringLiteral("&Restore"), QDialogButtonBox::AcceptRole);
    Restore_Button->setObjectName(QStringLiteral("Restore_Button"));
    Restore_Button->setDefault(true);
    Cancel_Button = Buttons->addButton(QDialogButtonBox::Cancel);
    Cancel_Button->setObjectName(QStringLiteral("Cancel_Button"));
    Cancel_Button->setText(QStringLiteral("Cancel"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Intro_Label);
    layout->addWidget(list_label);
    layout->addWidget(Backups_ListBox, 1);
    layout->addWidget(Buttons);

    connect(Buttons, &QDialogButtonBox::accepted, this, [this] {
        if (Chosen()) {
            accept();
        }
    });
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Not on activation: desktops that open on a single click would restore
    // at the first click. Enter reaches the default button.
    connect(Backups_ListBox, &QListWidget::itemDoubleClicked, this, [this] {
        if (Chosen()) {
            accept();
        }
    });
    connect(Backups_ListBox, &QListWidget::currentRowChanged, this,
            &TRestore_Backup_Form::Update_Buttons);

    // The newest copy that can be read.
    for (std::size_t row = 0; row < backups_.size(); ++row) {
        if (backups_[row].Entry_Count) {
            Backups_ListBox->setCurrentRow(static_cast<int>(row));
            break;
        }
    }
    Update_Buttons();
    Backups_ListBox->setFocus();
}

std::optional<std::filesystem::path> TRestore_Backup_Form::Chosen() const {
    const int row = Backups_ListBox->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= backups_.size() ||
        !backups_[static_cast<std::size_t>(row)].Entry_Count) {
        return std::nullopt;
    }
    return backups_[static_cast<std::size_t>(row)].File;
}

void TRestore_Backup_Form::Update_Buttons() {
    Restore_Button->setEnabled(Chosen().has_value());
}

std::optional<std::filesystem::path> Qt_Backup_Prompts::Choose_Backup(
    QWidget* parent, const std::vector<Backup_Version>& backups) {
    TRestore_Backup_Form form(backups, short_date_, parent);
    if (form.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return form.Chosen();
}

}  // namespace tessaly
