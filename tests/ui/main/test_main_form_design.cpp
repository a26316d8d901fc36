#include "main_form_fixture.h"

#include <gtest/gtest.h>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>

#include <map>
#include <tuple>
#include <vector>

#include "test_support/accessibility.h"
#include "test_support/qt_printers.h"
#include "ui/main/auto_size_label.h"
#include "ui/main/radio_group.h"

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
    // The design's 24 items less the hidden one, the calendar sync's two,
    // the restore from a backup and the three of finding.
    EXPECT_EQ(Menu_Items(*form).size(), 29u);
    EXPECT_FALSE(form->Create_Test_Demo_Data_Menu_Option->isVisible());
}

// The letter Alt takes with a text, lower case; empty without one.
QString Mnemonic_Of(const QString& text) {
    return QKeySequence::mnemonic(text).toString().remove(QStringLiteral("Alt+")).toLower();
}

TEST_F(Menu_Test, EveryItemAndButtonHasItsOwnMnemonicInItsMenuAndWindow) {
    Start();
    QStringList window_letters;
    for (QAction* top : form->menuBar()->actions()) {
        window_letters << Mnemonic_Of(top->text());
        QStringList letters;
        for (QAction* item : top->menu()->actions()) {
            if (!item->isSeparator() && item->isVisible()) {
                const QString letter = Mnemonic_Of(item->text());
                EXPECT_FALSE(letter.isEmpty()) << item->text().toStdString();
                EXPECT_FALSE(letters.contains(letter)) << item->text().toStdString();
                letters << letter;
            }
        }
    }
    for (QAbstractButton* button : form->findChildren<QAbstractButton*>()) {
        if (button->isVisible() && qobject_cast<QRadioButton*>(button) == nullptr) {
            window_letters << Mnemonic_Of(button->text());
        }
    }
    for (const QGroupBox* group :
         {static_cast<QGroupBox*>(form->Sort_By_Column_RadioGroup),
          static_cast<QGroupBox*>(form->Ascending_Descending_RadioGroup)}) {
        window_letters << Mnemonic_Of(group->title());
    }
    window_letters << Mnemonic_Of(form->Label1->text());
    for (const QString& letter : window_letters) {
        EXPECT_FALSE(letter.isEmpty());
        EXPECT_EQ(window_letters.count(letter), 1) << letter.toStdString();
    }
}

// A screen reader names every control by what it does, never by the status
// line of the group around it.
TEST_F(Main_Form_Test, EveryControlHasANameOfItsOwn) {
    Write_Data({{"Abe", 1990, 12, 9, "Birthday", ""}});
    Start();
    EXPECT_EQ(Unnamed_Interactive(form.get()), QStringList());
    const QString status = form->All_GroupBox->title();
    ASSERT_FALSE(status.isEmpty());
    for (QWidget* control : form->All_GroupBox->findChildren<QWidget*>()) {
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(control);
        ASSERT_NE(reader, nullptr);
        EXPECT_NE(reader->text(QAccessible::Name), status) << control->objectName().toStdString();
    }
    QAccessibleInterface* days =
        QAccessible::queryAccessibleInterface(form->Days_Threshold_SpinEdit);
    EXPECT_EQ(days->text(QAccessible::Name).trimmed(),
              "Report contains all events occuring within the next");
    QAccessibleInterface* table =
        QAccessible::queryAccessibleInterface(Grid().findChild<QAbstractItemView*>());
    ASSERT_NE(table->tableInterface(), nullptr);
    EXPECT_EQ(table->tableInterface()->rowCount(), 1);
    EXPECT_EQ(table->tableInterface()->columnDescription(1), "Orig. Date");
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
    bool Finding;

    auto Tied() const {
        return std::tie(Messages, Viewed_Files, File_Dialogs, Dialogs, Entries, On_Top, Visible,
                        Finding);
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
        return Observed{messages.shown.size(),
                        editor.Viewed_Files.size(),
                        dialogs.requests.size(),
                        opened_dialogs + static_cast<int>(calendar_questions.asked_accounts.size()),
                        form->List().Event_Count(),
                        form->windowFlags().testFlag(Qt::WindowStaysOnTopHint),
                        form->isVisible(),
                        form->Find_ToolBar->isVisible()};
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
        form->Find_ToolBar->hide();
    }
    EXPECT_EQ(triggered, 29);
}

// The text a rich-text label shows, with the underlined characters marked.
struct Shown_Text {
    QString Plain;
    QString Underlined;
};

// Word joiners take no room and are not seen.
Shown_Text Shown(const QString& rich) {
    const QChar joiner(0x2060);
    QTextDocument document;
    document.setHtml(rich);
    Shown_Text shown{document.toPlainText().remove(joiner), {}};
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            for (const QChar c : it.fragment().text()) {
                if (c == joiner) {
                    continue;
                }
                shown.Underlined += it.fragment().charFormat().fontUnderline() ? c : u'.';
            }
        }
    }
    return shown;
}

TEST(Mnemonic_Rich_Text_Test, UnderlinesTheLetterAfterEachMarkAndShowsEverythingElseAsItIs) {
    const Shown_Text shown = Shown(Mnemonic_Rich_Text("&Save && <b>keep</b> \"x\"&"));
    EXPECT_EQ(shown.Plain, "Save & <b>keep</b> \"x\"");
    EXPECT_EQ(shown.Underlined, "S" + QString(shown.Plain.size() - 1, u'.'));
    EXPECT_EQ(Shown(Mnemonic_Rich_Text("&😀 te&xt")).Underlined, "😀...x.");
}

TEST_F(Main_Form_Test, TheAutoRunNoteShowsTheMenuMnemonicsAsTheMenusDo) {
    Start();
    QLabel& note = *form->Label3;
    ASSERT_EQ(note.textFormat(), Qt::RichText);
    EXPECT_TRUE(note.wordWrap());
    const Shown_Text shown = Shown(note.text());
    const QString expected =
        "To automatically run this program (or stop the running of this program) at Windows "
        "Start-Up, please use the \"Auto-Run at Windows Startup\" option under the File menu.";
    EXPECT_EQ(shown.Plain, expected);
    QString underlined(expected.size(), u'.');
    underlined[expected.indexOf("Auto-Run")] = u'A';
    underlined[expected.indexOf("File")] = u'F';
    EXPECT_EQ(shown.Underlined, underlined);

    // The window's scaling still sizes the note's text: in a larger window
    // the larger font takes more lines at the same width.
    const int design_points = note.font().pointSize();
    const int design_height = note.heightForWidth(537);
    form->resize(form->width() * 3 / 2, form->height() * 3 / 2);
    EXPECT_GT(note.font().pointSize(), design_points);
    EXPECT_GT(note.heightForWidth(537), design_height);
}

}  // namespace
