// The keys people press in the main window: the menus' shortcuts, where they
// work and where they must not.
#include <gtest/gtest.h>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <map>

#include "main_form_fixture.h"
#include "ui/dialogs/add_modify_form.h"
#include "ui/main/find_bar.h"
#include "ui/main/radio_group.h"

namespace tessaly::test {
namespace {

// No key of the window serves two commands or takes an access key, and the
// menus' keys are the window's, not the application's: a modal window of its
// own keeps them.
TEST_F(Main_Form_Test, NoKeyOfTheWindowServesTwoCommands) {
    Start();
    (void)*form->Grid_Find_Bar;  // made at the first find, with its key
    std::multimap<QString, QString> keys;
    for (QAction* top : form->menuBar()->actions()) {
        for (QAction* item : top->menu()->actions()) {
            for (const QKeySequence& key : item->shortcuts()) {
                keys.emplace(key.toString(), item->objectName());
                EXPECT_EQ(item->shortcutContext(), Qt::WindowShortcut);
            }
        }
    }
    for (QShortcut* shortcut : form->findChildren<QShortcut*>()) {
        keys.emplace(shortcut->key().toString(), shortcut->parent()->objectName());
    }
    for (const auto& [key, owner] : keys) {
        EXPECT_EQ(keys.count(key), 1u) << key.toStdString() << " of " << owner.toStdString();
        EXPECT_FALSE(key.startsWith("Alt+")) << key.toStdString();
    }
    // Add, Undo, Exit, readme, the three of finding and the sync; the grid's
    // Delete, Return and Enter; the find bar's Escape.
    EXPECT_EQ(keys.size(), 12u);
}

// Whatever has the focus, the keys reach their commands; in a text field
// Ctrl+Z undoes the typing, as in every field; under a modal window none
// of the main window's keys act.
class Keys_Test : public Main_Form_Test {
protected:
    // Active again once the last dialog has gone: the keys go to the
    // active window.
    void Activate() {
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == form.get(); }));
    }
};

TEST_F(Keys_Test, TheKeysWorkWhereverTheFocusIsAndNeverUnderAModalWindow) {
    Write_Data({{"Abe", 1990, 12, 9, "Birthday", ""}, {"Bea", 1990, 12, 20, "Birthday", ""}});
    Start();
    form->Find_ToolBar->show();
    const struct {
        QWidget* Focus;
        bool Text_Field;
    } places[] = {
        {Grid().findChild<QAbstractItemView*>(), false},
        {form->Add_Entry_BitBtn, false},
        {form->Sort_By_Column_RadioGroup->Button(2), false},
        {form->Auto_Display_Coming_Events_Report_CheckBox, false},
        {form->Days_Threshold_SpinEdit, true},
        {form->Grid_Find_Bar->Find_Edit, true},
    };
    for (const auto& place : places) {
        SCOPED_TRACE(place.Focus->objectName().toStdString());
        Activate();
        place.Focus->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return place.Focus->hasFocus(); }));
        const auto viewed = editor.Viewed_Files.size();
        QTest::keyClick(place.Focus, Qt::Key_F1);
        EXPECT_EQ(editor.Viewed_Files.size(), viewed + 1);

        messages.shown.clear();
        QTest::keyClick(place.Focus, Qt::Key_Z, Qt::ControlModifier);  // answered No
        EXPECT_EQ(messages.shown.size(), place.Text_Field ? 0u : 1u);

        bool opened = false;
        bool quiet_under_dialog = false;
        // Runs in the dialog's own event loop; gone with the loop's turn
        // when no dialog opened.
        QTimer in_dialog;
        in_dialog.setSingleShot(true);
        QObject::connect(&in_dialog, &QTimer::timeout, [&] {
            TAdd_Modify_Form& dialog = *form->Add_Modify_Form;
            opened = dialog.isVisible();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
            QWidget* inside = dialog.focusWidget();
            const auto viewed_before = editor.Viewed_Files.size();
            const bool bar_shown = form->Find_ToolBar->isVisible();
            form->Find_ToolBar->hide();
            QTest::keyClick(inside, Qt::Key_F1);
            QTest::keyClick(inside, Qt::Key_Q, Qt::ControlModifier);
            QTest::keyClick(inside, Qt::Key_F, Qt::ControlModifier);
            quiet_under_dialog = editor.Viewed_Files.size() == viewed_before && form->isVisible() &&
                                 form->Find_ToolBar->isHidden();
            form->Find_ToolBar->setVisible(bar_shown);
            dialog.Cancel_BitBtn->click();
        });
        in_dialog.start(0);
        QTest::keyClick(place.Focus, Qt::Key_N, Qt::ControlModifier);
        EXPECT_TRUE(opened);
        EXPECT_TRUE(quiet_under_dialog);
    }

    Activate();
    QTest::keyClick(form->Add_Entry_BitBtn, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(form->isVisible());
}

}  // namespace
}  // namespace tessaly::test
