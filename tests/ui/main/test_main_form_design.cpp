#include "main_form_fixture.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <map>
#include <tuple>
#include <vector>

#include "test_support/qt_printers.h"

namespace {

using namespace tessaly;
using namespace tessaly::test;

using Menu_Test = Main_Form_Test;

// Every item the user can see in the menus, separators left out. The demo
// data item is hidden, and Qt counts a hidden action as disabled.
std::vector<QAction*> Menu_Items(TMainForm1& window) {
    std::vector<QAction*> items;
    for (QAction* top : window.menuBar()->actions()) {
        for (QAction* item : top->menu()->actions()) {
            if (!item->isSeparator() && item->isVisible()) {
                items.push_back(item);
            }
        }
    }
    return items;
}

TEST_F(Menu_Test, EveryCommandIsOfferedExceptTheHiddenDemoData) {
    Start();
    for (QAction* item : Menu_Items(*form)) {
        EXPECT_TRUE(item->isEnabled()) << item->objectName().toStdString();
    }
    // The design's 20 items less the hidden one.
    EXPECT_EQ(Menu_Items(*form).size(), 19u);
    EXPECT_FALSE(form->Create_Test_Demo_Data_Menu_Option->isVisible());
}

// What a menu command can change that the user would notice.
struct Observed {
    std::size_t Messages;
    std::size_t Viewed_Files;
    std::size_t File_Dialogs;
    int Dialogs;
    int Entries;
    bool On_Top;
    bool Visible;

    auto Tied() const {
        return std::tie(Messages, Viewed_Files, File_Dialogs, Dialogs, Entries, On_Top, Visible);
    }
    bool operator==(const Observed& other) const { return Tied() == other.Tied(); }
};

TEST_F(Menu_Test, EveryEnabledItemDoesSomething) {
    Start();
    // Any dialog a command opens is counted and closed.
    int opened_dialogs = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&opened_dialogs] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ++opened_dialogs;
            dialog->reject();
        }
    });
    closer.start(1);
    const auto observe = [&] {
        return Observed{
            messages.shown.size(),      editor.Viewed_Files.size(),
            dialogs.requests.size(),    opened_dialogs,
            form->List().Event_Count(), form->windowFlags().testFlag(Qt::WindowStaysOnTopHint),
            form->isVisible()};
    };

    int triggered = 0;
    for (QAction* item : Menu_Items(*form)) {
        if (!item->isEnabled()) {
            continue;
        }
        SCOPED_TRACE(item->objectName().toStdString());
        const Observed before = observe();
        item->trigger();
        EXPECT_FALSE(observe() == before);
        ++triggered;
        if (!form->isVisible()) {
            form->show();
        }
    }
    EXPECT_EQ(triggered, 19);
}

}  // namespace
