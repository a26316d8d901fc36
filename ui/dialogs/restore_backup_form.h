#pragma once

#include <QDialog>

#include <filesystem>
#include <optional>
#include <vector>

#include "core/dated_backups.h"
#include "core/short_date.h"

class QDialogButtonBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace tessaly {

// The dated copies of the list, newest first, each with its entry count;
// Restore takes the one chosen. A copy that cannot be read is listed with
// the reason and cannot be taken.
class TRestore_Backup_Form : public QDialog {
    Q_OBJECT

public:
    TRestore_Backup_Form(std::vector<Backup_Version> backups,
                         const Short_Date_Formatter& short_date, QWidget* parent = nullptr);

    // The copy on the current row when it can be restored.
    std::optional<std::filesystem::path> Chosen() const;

    QLabel* Intro_Label;
    QListWidget* Backups_ListBox;
    QPushButton* Restore_Button;
    QPushButton* Cancel_Button;
    QDialogButtonBox* Buttons;

private:
    void Update_Buttons();

    std::vector<Backup_Version> backups_;
};

// A row's text: "Thu 10/12/2026 14:03:22, 12 entries", or why it cannot be
// read.
QString Backup_Row_Text(const Backup_Version& backup, const Short_Date_Formatter& short_date);

// The restore's question, so that tests can answer it.
class Backup_Prompts {
public:
    virtual ~Backup_Prompts() = default;
    // The copy to restore; none when the user cancels.
    virtual std::optional<std::filesystem::path> Choose_Backup(
        QWidget* parent, const std::vector<Backup_Version>& backups) = 0;
};

// The real dialog.
class Qt_Backup_Prompts final : public Backup_Prompts {
public:
    explicit Qt_Backup_Prompts(Short_Date_Formatter short_date)
        : short_date_(std::move(short_date)) {}

    std::optional<std::filesystem::path> Choose_Backup(
        QWidget* parent, const std::vector<Backup_Version>& backups) override;

private:
    Short_Date_Formatter short_date_;
};

}  // namespace tessaly
