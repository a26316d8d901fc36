// The keys people press in the main window: the menus' shortcuts, where they
// work and where they must not.
#include <gtest/gtest.h>
#include <QAbstractItemView>
#include <QAction>
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

#include <functional>
#include <map>

#include "main_form_fixture.h"
#include "ui/dialogs/add_modify_form.h"
#include "ui/main/find_bar.h"
#include "ui/main/radio_group.h"

namespace tessaly::test {
namespace {

// Every key a menu item or a shortcut of the window answers to, with where
// it comes from.
std::multimap<QString, QString> Window_Keys(TMainForm1& window) {
    std::multimap<QString, QString> keys;
    for (QAction* top : window.menuBar()->actions()) {
        for (QAction* item : top->menu()->actions()) {
            for (const QKeySequence& key : item->shortcuts()) {
                keys.emplace(key.toString(), item->objectName());
            }
        }
    }
    for (QShortcut* shortcut : window.findChildren<QShortcut*>()) {
        keys.emplace(shortcut->key().toString(), shortcut->parent()->objectName());
    }
    return keys;
}

TEST_F(Main_Form_Test, TheMenusOfferTheUsualKeysAndNoKeyServesTwoCommands) {
    Start();
    const std::map<QString, QAction*> expected = {
        {"Ctrl+N", form->Add_Data_Menu_Option},
        {"Ctrl+Z", form->Undo_Deletes_Menu_Option},
        {"Ctrl+Q", form->ExitOption},
        {"F1", form->View_Readme_file_Option},
        {"Ctrl+F", form->Find_Menu_Option},
        {"F3", form->Find_Again_Menu_Option},
        {"Shift+F3", form->Find_Previous_Menu_Option},
        {"Ctrl+Shift+S", form->Sync_Calendar_Menu_Option},
    };
    for (const auto& [key, action] : expected) {
        EXPECT_EQ(action->shortcut().toString(), key) << action->objectName().toStdString();
        EXPECT_EQ(action->shortcutContext(), Qt::WindowShortcut);
    }
    const std::multimap<QString, QString> keys = Window_Keys(*form);
    for (const auto& [key, owner] : keys) {
        EXPECT_EQ(keys.count(key), 1u) << key.toStdString() << " of " << owner.toStdString();
        // Alt with a letter belongs to the menus' and buttons' access keys.
        EXPECT_FALSE(key.startsWith("Alt+")) << key.toStdString();
    }
    // The menus, the grid's Delete and Enter, and the find bar's Escape.
    EXPECT_EQ(keys.size(), expected.size() + 4);
}

using Dialog_Action = std::function<void(TAdd_Modify_Form&)>;

// Acts on the add/modify dialog once a key has it open.
class Dialog_Script {
public:
    Dialog_Script(TAdd_Modify_Form& dialog, Dialog_Action action) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this, &dialog, action] {
            if (!dialog.isVisible()) {
                return;
            }
            timer_.stop();
            opened = true;
            action(dialog);
        });
        timer_.start();
    }
    bool opened = false;

private:
    QTimer timer_;
};

// Whatever has the focus, the keys reach their commands; in a text field
// Ctrl+Z undoes the typing, as in every field; under a modal window none
// of the main window's keys act.
TEST_F(Main_Form_Test, TheKeysWorkWhereverTheFocusIsAndNeverUnderAModalWindow) {
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
        // The window is active again once the last dialog has gone.
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        place.Focus->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return place.Focus->hasFocus(); }));
        const auto viewed = editor.Viewed_Files.size();
        QTest::keyClick(place.Focus, Qt::Key_F1);
        EXPECT_EQ(editor.Viewed_Files.size(), viewed + 1);

        messages.shown.clear();
        QTest::keyClick(place.Focus, Qt::Key_Z, Qt::ControlModifier);  // answered No
        EXPECT_EQ(messages.shown.size(), place.Text_Field ? 0u : 1u);

        bool quiet_under_dialog = false;
        Dialog_Script script(*form->Add_Modify_Form, [&](TAdd_Modify_Form& dialog) {
            EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
            QWidget* inside = dialog.focusWidget();
            const auto viewed_before = editor.Viewed_Files.size();
            const bool bar_shown = form->Find_ToolBar->isVisible();
            form->Find_ToolBar->hide();
            QTest::keyClick(inside, Qt::Key_F1);
            QTest::keyClick(inside, Qt::Key_Q, Qt::ControlModifier);
            QTest::keyClick(inside, Qt::Key_F, Qt::ControlModifier);
            quiet_under_dialog = editor.Viewed_Files.size() == viewed_before && form->isVisible() &&
                                 dialog.isVisible() && form->Find_ToolBar->isHidden();
            form->Find_ToolBar->setVisible(bar_shown);
            dialog.Cancel_BitBtn->click();
        });
        QTest::keyClick(place.Focus, Qt::Key_N, Qt::ControlModifier);
        EXPECT_TRUE(script.opened);
        EXPECT_TRUE(quiet_under_dialog);
    }

    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form->Add_Entry_BitBtn, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(form->isVisible());
}

}  // namespace
}  // namespace tessaly::test
