// Finding an entry with the keyboard: the search itself, the bar above the
// list, and every entry of a full list reached by name.
#include <gtest/gtest.h>
#include <QAbstractItemView>
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

#include <string>
#include <vector>

#include "main_form_fixture.h"
#include "test_support/accessibility.h"
#include "test_support/desktop_themes.h"
#include "ui/main/find_bar.h"
#include "ui/main/row_search.h"
#include "widgets/contrast.h"

namespace tessaly::test {
namespace {

TEST(Row_Search, FoldingIgnoresCaseAccentsAndCompatibilityForms) {
    const struct {
        QString Shown;
        QString Folded;
    } cases[] = {
        // The same letter as one character and as a base letter with a mark.
        {QString::fromUtf8("Zoe\u0308 CHLO\u00c9 \u00c5sa \u00d1and\u00fa"), "zoe chloe asa nandu"},
        {QString::fromUtf8("\ufb01ne \uff21"), "fine a"},
        {QString::fromUtf8("\u00c6sir \u00f8"), QString::fromUtf8("\u00e6sir \u00f8")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Find_Folded(c.Shown), c.Folded) << c.Shown.toStdString();
    }
}

class Find_Test : public Main_Form_Test {
protected:
    void Start_Active() {
        Start();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    Find_Bar& Bar() { return *form->Grid_Find_Bar; }
    QAbstractItemView* View() { return Grid().findChild<QAbstractItemView*>(); }
    QString Selected_Name() { return Grid().Cell(0, Grid().Row()); }
    QWidget* Focused() { return QApplication::focusWidget(); }
    void Press(QKeyCombination key) {
        QTest::keyClick(Focused(), key.key(), key.keyboardModifiers());
    }
    // The row's cell lies inside the part of the list that is seen.
    bool Row_In_View(int row) {
        QWidget* viewport = View()->viewport();
        const QRect seen(viewport->mapTo(&Grid(), QPoint(0, 0)), viewport->size());
        return seen.contains(Grid().Cell_Rect(0, row));
    }
};

// A tour of the bar on a list of 40: accents and case, event types and
// comments, Enter and F3 onwards, Shift+F3 back, wrapping both ways, no
// match, and Escape back to the list with the row found selected.
TEST_F(Find_Test, TypingAndTheFindKeysSelectTheMatchingRowsInTurn) {
    std::vector<Entry> entries = {
        {"Anna Berg", 1980, 1, 2, "Birthday", ""},
        {"Chlo\xC3\xA9 Dubois", 1981, 2, 3, "Birthday", ""},
        {"Dan Ross", 1982, 3, 4, "Wedding", "met at ZOE's party"},
        {"Emil Strand", 1983, 4, 5, "Anniversary", ""},
        {"Zo\xC3\xAB Adams", 1984, 5, 6, "Birthday", ""},
        {"zoe lower", 1985, 6, 7, "Graduation", ""},
    };
    for (int i = 1; entries.size() < 40; ++i) {
        entries.push_back({"Kit " + std::to_string(100 + i), 1990, 1, 1 + i % 28, "Other", ""});
    }
    Write_Data(entries);
    Start_Active();
    const QStringList names_before = Names();
    ASSERT_EQ(Selected_Name(), "Anna Berg");
    View()->setFocus();

    struct Step {
        const char* Keys;  // typed into the field; empty: `Key` is pressed
        QKeyCombination Key;
        const char* Selected;
        const char* Status;
        bool No_Match;
    };
    const QKeyCombination none(Qt::Key_unknown);
    const QKeyCombination F3(Qt::Key_F3);
    const QKeyCombination Shift_F3(QKeyCombination(Qt::ShiftModifier, Qt::Key_F3));
    const Step steps[] = {
        {"", QKeyCombination(Qt::ControlModifier, Qt::Key_F), "Anna Berg", "", false},
        // Dan Ross by his comment; "zoe" finds the accented names too.
        {"zoe", none, "Dan Ross", "1 of 3 matches", false},
        {"", F3, "Zo\xC3\xAB Adams", "2 of 3 matches", false},
        {"", Qt::Key_Return, "zoe lower", "3 of 3 matches", false},
        {"", F3, "Dan Ross", "1 of 3 matches. Reached the end, continued from the top", false},
        {"", Shift_F3, "zoe lower", "3 of 3 matches. Reached the top, continued from the bottom",
         false},
        {"", QKeyCombination(Qt::ShiftModifier, Qt::Key_Return), "Zo\xC3\xAB Adams",
         "2 of 3 matches", false},
        // Typing more refines from the match in hand; nothing left: the
        // selection stays.
        {"x", none, "Zo\xC3\xAB Adams", "No match", true},
        {"", Qt::Key_Backspace, "Zo\xC3\xAB Adams", "2 of 3 matches", false},
        {" a", none, "Zo\xC3\xAB Adams", "1 of 1 match", false},
        {"", QKeyCombination(Qt::ControlModifier, Qt::Key_A), "Zo\xC3\xAB Adams", "1 of 1 match",
         false},
        // "w" and "we" of "lower", then "wed" only above it.
        {"WED", none, "Dan Ross", "1 of 1 match. Reached the end, continued from the top", false},
        {"D", none, "Dan Ross", "1 of 1 match", false},
        {"", QKeyCombination(Qt::ControlModifier, Qt::Key_A), "Dan Ross", "1 of 1 match", false},
        {"CHLO\xC3\x89", none, "Chlo\xC3\xA9 Dubois", "1 of 1 match", false},
        // Opened again, the bar searches from the row after the current one:
        // its only match comes round.
        {"", QKeyCombination(Qt::ControlModifier, Qt::Key_F), "Chlo\xC3\xA9 Dubois", "1 of 1 match",
         false},
        {"c", none, "Chlo\xC3\xA9 Dubois", "1 of 1 match. Reached the end, continued from the top",
         false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(std::string(step.Keys) + " / " +
                     QKeySequence(step.Key).toString().toStdString());
        if (*step.Keys != '\0') {
            QTest::keyClicks(Focused(), QString::fromUtf8(step.Keys));
        } else {
            Press(step.Key);
        }
        ASSERT_FALSE(form->Find_ToolBar->isHidden());
        EXPECT_EQ(Focused(), Bar().Find_Edit);
        EXPECT_EQ(Selected_Name(), QString::fromUtf8(step.Selected));
        EXPECT_EQ(Grid().Selection().left(), 0);
        EXPECT_EQ(Grid().Selection().height(), 1);
        EXPECT_EQ(Bar().Find_Status_Label->text(), step.Status);
        EXPECT_EQ(Bar().No_Match(), step.No_Match);
        // A screen reader, staying in the field, hears the entry and the count.
        const QString spoken = Bar().Find_Edit->accessibleDescription();
        if (*step.Status != '\0' && !step.No_Match) {
            EXPECT_EQ(spoken, QString::fromUtf8(step.Selected) + ": " + step.Status);
        } else {
            EXPECT_EQ(spoken, step.Status);
        }
    }
    // Rows are selected, never hidden.
    EXPECT_EQ(Names(), names_before);

    Press(Qt::Key_Escape);
    EXPECT_TRUE(form->Find_ToolBar->isHidden());
    EXPECT_EQ(Focused(), View());
    EXPECT_EQ(Selected_Name(), QString::fromUtf8("Chlo\xC3\xA9 Dubois"));
    // The commands act on the row found.
    messages.answers.push_back(Message_Answer::Yes);
    Press(Qt::Key_Delete);
    EXPECT_EQ(form->List().Event_Count(), 39);
    EXPECT_FALSE(Names().contains(QString::fromUtf8("Chlo\xC3\xA9 Dubois")));

    // F3 with the bar closed opens it and goes on with the last text.
    Grid().Set_Current_Cell(0, 1);
    Press(F3);
    EXPECT_FALSE(form->Find_ToolBar->isHidden());
    EXPECT_EQ(Bar().Find_Edit->text(), "c");
    EXPECT_EQ(Bar().Find_Status_Label->text(), "No match");
    EXPECT_EQ(Grid().Row(), 1);
}

// The field tells "no match" by its colour too, readable in every theme.
TEST_F(Find_Test, NoMatchTintsTheFieldWithReadableTextInLightAndDarkThemes) {
    Write_Data({{"Ann", 1980, 1, 2, "Birthday", ""}});
    Start_Active();
    for (const QPalette& theme : {QPalette(), Dark_Fusion_Palette(), High_Contrast_Palette()}) {
        Bar().setPalette(theme);
        Press(QKeyCombination(Qt::ControlModifier, Qt::Key_F));
        Press(QKeyCombination(Qt::ControlModifier, Qt::Key_A));
        QTest::keyClicks(Focused(), "qqq");
        ASSERT_TRUE(Bar().No_Match());
        const QPalette tinted = Bar().Find_Edit->palette();
        const QColor field = tinted.color(QPalette::Base);
        EXPECT_NE(field, theme.color(QPalette::Base));
        EXPECT_GT(field.red(), field.green());
        EXPECT_GE(Contrast_Ratio(tinted.color(QPalette::Text), field), Text_Contrast);
        Press(QKeyCombination(Qt::ControlModifier, Qt::Key_A));
        QTest::keyClicks(Focused(), "an");
        EXPECT_FALSE(Bar().No_Match());
        EXPECT_EQ(Bar().Find_Edit->palette().color(QPalette::Base), theme.color(QPalette::Base));
    }
    Bar().setPalette(QPalette());
    EXPECT_EQ(Unnamed_Interactive(form.get()), QStringList());
}

// Every entry of a full list is reached by typing its name, and the list
// scrolls to it.
// The bar takes room from the controls below it, which scale to what is
// left: none of them is pushed out of the window.
TEST_F(Find_Test, TheControlsStayInTheWindowWhileTheBarIsOpen) {
    Start_Active();
    const auto buttons_inside = [&] {
        const QRect client(QPoint(0, 0), form->centralWidget()->size());
        for (QWidget* button : {static_cast<QWidget*>(form->Inform_Me_Now_BitBtn),
                                static_cast<QWidget*>(form->Exit_BitBtn)}) {
            const QRect at(button->mapTo(form->centralWidget(), QPoint(0, 0)), button->size());
            if (!client.contains(at)) {
                return false;
            }
        }
        return true;
    };
    Press(QKeyCombination(Qt::ControlModifier, Qt::Key_F));
    EXPECT_TRUE(buttons_inside());
    Press(Qt::Key_Escape);
    EXPECT_TRUE(buttons_inside());
}

TEST_F(Find_Test, EveryEntryOfAFullListIsReachedByNameWithTheKeyboard) {
    std::vector<Entry> entries;
    for (int i = 0; i < Event_Array_Size; ++i) {
        // Names that share long beginnings, out of order in the file.
        const int n = (i * 7919) % Event_Array_Size;
        entries.push_back(
            {"Guest " + std::to_string(1000 + n), 1990, 1 + n % 12, 1 + n % 28, "Birthday", ""});
    }
    Write_Data(entries);
    Start_Active();
    View()->setFocus();
    for (int step = 0; step < Event_Array_Size; ++step) {
        const int n = (step * 211 + 17) % Event_Array_Size;
        const QString name = QStringLiteral("Guest %1").arg(1000 + n);
        Press(QKeyCombination(Qt::ControlModifier, Qt::Key_F));
        QTest::keyClicks(Focused(), name);
        ASSERT_TRUE(QTest::qWaitFor([&] { return Row_In_View(Grid().Row()); })) << step;
        Press(Qt::Key_Escape);
        ASSERT_EQ(Selected_Name(), name) << step;
        ASSERT_EQ(Focused(), View());
        ASSERT_TRUE(Row_In_View(Grid().Row())) << name.toStdString();
    }
}

}  // namespace
}  // namespace tessaly::test
