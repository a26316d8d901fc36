#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <vector>

#include "test_support/accessibility.h"
#include "ui/dialogs/restore_backup_form.h"

namespace tessaly {
namespace {

Backup_Version Version(int day, int hour, int number, std::optional<int> entries) {
    Backup_Version version;
    version.Stamp = {{2026, 12, day, hour, 5, 9}, number};
    version.File = "/lists/Tessaly backups/copy-" + std::to_string(day) + "-" +
                   std::to_string(hour) + "-" + std::to_string(number) + ".dat";
    version.Entry_Count = entries;
    if (!entries) {
        version.Problem = "Invalid numeric input";
    }
    return version;
}

class Restore_Backup_Form_Test : public ::testing::Test {
protected:
    // Newest first, as the listing gives them: an unreadable copy on top.
    std::vector<Backup_Version> backups = {Version(10, 14, 2, std::nullopt), Version(10, 14, 1, 12),
                                           Version(9, 8, 1, 1), Version(1, 23, 1, 0)};
    Short_Date_Formatter short_date = Make_Strftime_Formatter("%d/%m/%Y");
};

TEST_F(Restore_Backup_Form_Test, ListsEveryCopyWithItsDateAndCountAndOffersTheNewestReadable) {
    TRestore_Backup_Form form(backups, short_date);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    QStringList rows;
    for (int row = 0; row < form.Backups_ListBox->count(); ++row) {
        rows << form.Backups_ListBox->item(row)->text();
    }
    EXPECT_EQ(rows, QStringList({"Thu 10/12/2026 14:05:09, cannot be read: Invalid numeric input",
                                 "Thu 10/12/2026 14:05:09, 12 entries",
                                 "Wed 09/12/2026 08:05:09, 1 entry",
                                 "Tue 01/12/2026 23:05:09, 0 entries"}));
    EXPECT_EQ(form.Backups_ListBox->currentRow(), 1);
    EXPECT_TRUE(form.Restore_Button->isEnabled());
    EXPECT_EQ(form.Chosen(), backups[1].File);
    EXPECT_EQ(QApplication::focusWidget(), form.Backups_ListBox);
    EXPECT_EQ(test::Unnamed_Interactive(&form), QStringList());
}

TEST_F(Restore_Backup_Form_Test, KeyboardChoosesARowAndEnterRestoresOnlyAReadableOne) {
    struct Case {
        const char* Name;
        std::vector<Qt::Key> Keys;
        int Result;
        int Chosen_Row;
    };
    const Case cases[] = {
        {"Enter takes the row offered", {Qt::Key_Return}, QDialog::Accepted, 1},
        {"down twice, then Enter",
         {Qt::Key_Down, Qt::Key_Down, Qt::Key_Enter},
         QDialog::Accepted,
         3},
        {"the unreadable row refuses Enter", {Qt::Key_Up, Qt::Key_Return}, -1, -1},
        {"Escape cancels", {Qt::Key_Down, Qt::Key_Escape}, QDialog::Rejected, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TRestore_Backup_Form form(backups, short_date);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        form.activateWindow();
        for (const Qt::Key key : c.Keys) {
            QTest::keyClick(QApplication::focusWidget(), key);
        }
        if (c.Result < 0) {
            EXPECT_TRUE(form.isVisible());
            EXPECT_FALSE(form.Restore_Button->isEnabled());
            continue;
        }
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.result(), c.Result);
        if (c.Chosen_Row >= 0) {
            EXPECT_EQ(form.Chosen(), backups[static_cast<std::size_t>(c.Chosen_Row)].File);
        }
    }
}

TEST_F(Restore_Backup_Form_Test, DoubleClickRestoresAReadableRowAndAltKeysReachTheControls) {
    TRestore_Backup_Form form(backups, short_date);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QListWidget& list = *form.Backups_ListBox;

    // Alt+B comes back to the list from the buttons.
    form.Cancel_Button->setFocus();
    QTest::keyClick(&form, Qt::Key_B, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), &list);

    const auto double_click = [&list](int row) {
        const QRect cell = list.visualItemRect(list.item(row));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, cell.center());
    };
    double_click(0);
    EXPECT_TRUE(form.isVisible());
    double_click(2);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.Chosen(), backups[2].File);
}

}  // namespace
}  // namespace tessaly
