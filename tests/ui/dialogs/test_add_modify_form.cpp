#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "test_support/accessibility.h"
#include "test_support/scripted_message_boxes.h"
#include "ui/common/clock.h"
#include "ui/common/message_boxes.h"
#include "ui/dialogs/add_modify_form.h"
#include "ui/dialogs/entry_attribute_controls.h"
#include "ui/dialogs/month_calendar.h"

namespace tessaly {
namespace {

class Add_Modify_Form_Test : public ::testing::Test {
protected:
    Day_Number Date(int year, int month, int day) { return Day_Number_Of(year, month, day); }

    // Runs the dialog modally; the script acts once the dialog is up and must
    // close it. A script that fails to close it still ends the loop.
    void Exec_With(const std::function<void()>& script) {
        QTimer::singleShot(0, &form, [this, script] {
            EXPECT_TRUE(form.isVisible());
            script();
            if (form.isVisible()) {
                ADD_FAILURE() << "the dialog stayed open";
                form.done(QDialog::Rejected);
            }
        });
        form.exec();
    }

    void Expect_Encode_Failure_Keeps(Day_Number date) {
        EXPECT_EQ(form.Calendar_Date(), date);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Error);
        EXPECT_EQ(messages.shown[0].Caption, QStringLiteral("Tessaly v1.0f"));
        EXPECT_EQ(messages.shown[0].Text, QStringLiteral("Invalid argument to date encode."));
        messages.shown.clear();
    }

    Fake_Clock clock{QDateTime(QDate(2024, 6, 15), QTime(9, 30))};
    test::Scripted_Message_Boxes messages;
    TAdd_Modify_Form form{clock, messages, Make_Strftime_Formatter("%d/%m/%Y")};
};

TEST_F(Add_Modify_Form_Test, StartsEmptyOnItsCreationDateWithTheCircleOff) {
    EXPECT_EQ(form.Modal_Result(), 0);
    EXPECT_EQ(form.Name(), QString());
    EXPECT_EQ(form.Event_Type(), QString());  // not the first suggestion
    EXPECT_EQ(form.Comments(), QString());
    EXPECT_EQ(form.Calendar_Date(), Date(2005, 4, 22));
    EXPECT_FALSE(form.MonthCalendar1->Today_Circle_Shown());
    EXPECT_EQ(form.MonthCalendar1->Today_Line(), QStringLiteral("Today: 15/06/2024"));
}

TEST_F(Add_Modify_Form_Test, TodayCircleFollowsTheShownMonthAndYear) {
    ASSERT_TRUE(form.Set_Calendar_Date(Date(2024, 6, 3)));
    form.Check_For_Current_Month_Year_ButtonClick();
    EXPECT_TRUE(form.MonthCalendar1->Today_Circle_Shown());

    form.Forward_1_Year_BitBtn->click();
    EXPECT_EQ(form.Calendar_Date(), Date(2025, 6, 3));
    EXPECT_FALSE(form.MonthCalendar1->Today_Circle_Shown());
    form.Back_1_Year_BitBtn->click();
    EXPECT_TRUE(form.MonthCalendar1->Today_Circle_Shown());
    form.Back_5_Years_BitBtn->click();
    EXPECT_EQ(form.Calendar_Date(), Date(2019, 6, 3));
    EXPECT_FALSE(form.MonthCalendar1->Today_Circle_Shown());
    form.Forward_5_Years_BitBtn->click();
    EXPECT_TRUE(form.MonthCalendar1->Today_Circle_Shown());

    // Same year or same month alone is not enough; browsing by hand counts.
    ASSERT_TRUE(form.Set_Calendar_Date(Date(2024, 3, 15)));
    EXPECT_FALSE(form.MonthCalendar1->Today_Circle_Shown());
    ASSERT_TRUE(form.Set_Calendar_Date(Date(2023, 6, 15)));
    EXPECT_FALSE(form.MonthCalendar1->Today_Circle_Shown());
    form.MonthCalendar1->setCurrentPage(2024, 6);
    EXPECT_TRUE(form.MonthCalendar1->Today_Circle_Shown());

    // "Today" reads the clock, which may have passed midnight meanwhile.
    clock.Set(QDateTime(QDate(2024, 7, 1), QTime(0, 0, 5)));
    form.Current_Date_BitBtn->click();
    EXPECT_EQ(form.Calendar_Date(), Date(2024, 7, 1));
    EXPECT_TRUE(form.MonthCalendar1->Today_Circle_Shown());
    EXPECT_EQ(form.MonthCalendar1->Today_Line(), QStringLiteral("Today: 01/07/2024"));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Add_Modify_Form_Test, LeapDayJumpsIntoCommonYearsFailAndKeepDateAndCircle) {
    clock.Set(QDateTime(QDate(2008, 2, 10), QTime(12, 0)));
    const Day_Number leap_day = Date(2008, 2, 29);
    ASSERT_TRUE(form.Set_Calendar_Date(leap_day));
    form.Check_For_Current_Month_Year_ButtonClick();
    ASSERT_TRUE(form.MonthCalendar1->Today_Circle_Shown());

    for (QPushButton* button : {form.Forward_1_Year_BitBtn, form.Forward_5_Years_BitBtn,
                                form.Back_1_Year_BitBtn, form.Back_5_Years_BitBtn}) {
        button->click();
        Expect_Encode_Failure_Keeps(leap_day);
        EXPECT_TRUE(form.MonthCalendar1->Today_Circle_Shown());
    }
}

TEST_F(Add_Modify_Form_Test, YearJumpsStopAtYearsOneAndNineThousandNineHundredNinetyNine) {
    ASSERT_TRUE(form.Set_Calendar_Date(Date(9994, 12, 31)));
    form.Forward_5_Years_BitBtn->click();
    EXPECT_EQ(form.Calendar_Date(), Date(9999, 12, 31));
    form.Forward_1_Year_BitBtn->click();
    Expect_Encode_Failure_Keeps(Date(9999, 12, 31));
    form.Back_1_Year_BitBtn->click();
    form.Forward_5_Years_BitBtn->click();
    Expect_Encode_Failure_Keeps(Date(9998, 12, 31));

    ASSERT_TRUE(form.Set_Calendar_Date(Date(6, 1, 1)));
    form.Back_5_Years_BitBtn->click();
    EXPECT_EQ(form.Calendar_Date(), Date(1, 1, 1));
    form.Back_1_Year_BitBtn->click();
    Expect_Encode_Failure_Keeps(Date(1, 1, 1));
}

TEST_F(Add_Modify_Form_Test, SettingADateTheCalendarCannotShowFailsAndKeepsTheDate) {
    ASSERT_TRUE(form.Set_Calendar_Date(Date(1986, 12, 7) + 0.75));
    EXPECT_EQ(form.Calendar_Date(), Date(1986, 12, 7));
    for (const Day_Number bad :
         {Day_Number(Last_Day_Number + 1), Day_Number(First_Day_Number - 1), std::nan("")}) {
        EXPECT_FALSE(form.Set_Calendar_Date(bad));
        EXPECT_EQ(form.Calendar_Date(), Date(1986, 12, 7));
    }
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Error);
    EXPECT_EQ(messages.shown[0].Caption, QStringLiteral("Tessaly v1.0f"));
    EXPECT_EQ(messages.shown[0].Text, QStringLiteral("Failed to set calendar date or time."));
    EXPECT_TRUE(form.Set_Calendar_Date(First_Day_Number));
    EXPECT_TRUE(form.Set_Calendar_Date(Last_Day_Number));
}

TEST_F(Add_Modify_Form_Test, OkChecksNameBeforeEventTypeMovingFocusFirstAndDoesNotTrim) {
    Exec_With([this] {
        QTest::mouseClick(form.OK_BitBtn, Qt::LeftButton);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Error);
        EXPECT_EQ(messages.shown[0].Text, QStringLiteral("Error: The name cannot be blank."));
        EXPECT_EQ(messages.shown[0].Focus, form.Name_Edit);
        EXPECT_TRUE(form.isVisible());

        QTest::keyClicks(form.Name_Edit, QStringLiteral("   "));
        QTest::mouseClick(form.OK_BitBtn, Qt::LeftButton);
        ASSERT_EQ(messages.shown.size(), 2u);
        EXPECT_EQ(messages.shown[1].Text, QStringLiteral("Error: The event type cannot be blank."));
        EXPECT_EQ(messages.shown[1].Focus, form.Event_Type_ComboBox);
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.Modal_Result(), 2);

        form.Set_Event_Type(QStringLiteral("Other"));
        QTest::mouseClick(form.OK_BitBtn, Qt::LeftButton);
    });
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(form.Modal_Result(), 1);
    EXPECT_EQ(form.Name(), QStringLiteral("   "));
}

TEST_F(Add_Modify_Form_Test, EnterAndEscLeaveItOpenAndEveryOtherCloseCountsAsCancelled) {
    form.Set_Name(QStringLiteral("Ada"));
    form.Set_Event_Type(QStringLiteral("Birthday"));
    Exec_With([this] {
        for (QWidget* target :
             {static_cast<QWidget*>(form.Name_Edit), static_cast<QWidget*>(form.Comments_Edit),
              static_cast<QWidget*>(form.Event_Type_ComboBox)}) {
            target->setFocus();
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                QTest::keyClick(target, key);
                EXPECT_TRUE(form.isVisible()) << "key " << key;
            }
        }
        form.OK_BitBtn->setFocus();
        QTest::keyClick(form.OK_BitBtn, Qt::Key_Escape);
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.Modal_Result(), 2);
        // Enter presses the button that has the focus, as Space does.
        QTest::keyClick(form.OK_BitBtn, Qt::Key_Return);
        EXPECT_TRUE(QTest::qWaitFor([this] { return !form.isVisible(); }));
    });
    EXPECT_EQ(form.Modal_Result(), 1);

    // The title-bar close after an accepted showing.
    Exec_With([this] {
        EXPECT_EQ(form.Modal_Result(), 2);
        form.close();
    });
    EXPECT_EQ(form.Modal_Result(), 2);

    Exec_With([this] {
        form.Name_Edit->setText(QStringLiteral("Typed then cancelled"));
        QTest::mouseClick(form.Cancel_BitBtn, Qt::LeftButton);
    });
    EXPECT_EQ(form.Modal_Result(), 2);
    EXPECT_EQ(form.Name(), QStringLiteral("Typed then cancelled"));
}

TEST_F(Add_Modify_Form_Test, TypedEventTypeStaysAsTypedAndAddsNoSuggestion) {
    form.show();
    QLineEdit* typing = form.Event_Type_ComboBox->lineEdit();
    for (const QString& typed : {QStringLiteral("birthday"), QStringLiteral("Cousin's party")}) {
        form.Event_Type_ComboBox->clearEditText();
        QTest::keyClicks(typing, typed);
        QTest::keyClick(typing, Qt::Key_Return);
        QTest::keyClick(typing, Qt::Key_Tab);
        emit typing->editingFinished();
        EXPECT_EQ(form.Event_Type(), typed);
    }
    EXPECT_EQ(form.Event_Type_ComboBox->count(), 7);
    form.hide();
}

TEST_F(Add_Modify_Form_Test, TabOrderSkipsTheCalendarAndEndsWithTheComments) {
    std::vector<QWidget*> stops;
    QWidget* widget = form.Back_5_Years_BitBtn;
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget->focusProxy() == nullptr &&
            widget->isVisibleTo(&form) && widget->isEnabled()) {
            stops.push_back(widget);
        }
        widget = widget->nextInFocusChain();
    } while (widget != form.Back_5_Years_BitBtn);
    // "Year not known" and the lead follow the date buttons.
    const std::vector<QWidget*> expected{form.Back_5_Years_BitBtn,
                                         form.Back_1_Year_BitBtn,
                                         form.Current_Date_BitBtn,
                                         form.Forward_1_Year_BitBtn,
                                         form.Forward_5_Years_BitBtn,
                                         form.Date_Edit,
                                         form.Attribute_Controls->Year_Not_Known_CheckBox,
                                         form.Attribute_Controls->Own_Lead_SpinEdit,
                                         form.Name_Edit,
                                         form.Event_Type_ComboBox,
                                         form.OK_BitBtn,
                                         form.Cancel_BitBtn,
                                         form.Comments_Edit};
    EXPECT_EQ(stops, expected);
}

// Typing starts at the name; the calendar has a key of its own and moves
// by days, months and years without a mouse.
TEST_F(Add_Modify_Form_Test, TheKeyboardEntersANameAndADateWithoutTheMouse) {
    form.Set_Name(QStringLiteral("Last one"));
    form.Set_Event_Type(QStringLiteral("Birthday"));
    ASSERT_TRUE(form.Set_Calendar_Date(Date(2024, 6, 15)));
    Exec_With([this] {
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        EXPECT_EQ(QApplication::focusWidget(), form.Name_Edit);
        // The kept name is selected: typing replaces it, blank and all.
        QTest::keyClicks(form.Name_Edit, QStringLiteral("Ann Lee"));
        EXPECT_EQ(form.Name(), QStringLiteral("Ann Lee"));
        EXPECT_EQ(form.Calendar_Date(), Date(2024, 6, 15));

        QTest::keyClick(&form, Qt::Key_D, Qt::AltModifier);
        QWidget* days = QApplication::focusWidget();
        ASSERT_NE(days, nullptr);
        EXPECT_TRUE(form.MonthCalendar1->isAncestorOf(days));
        for (const auto& [key, expected] :
             std::vector<std::pair<Qt::Key, Day_Number>>{{Qt::Key_Home, Date(2024, 6, 1)},
                                                         {Qt::Key_PageDown, Date(2024, 7, 1)},
                                                         {Qt::Key_Right, Date(2024, 7, 2)},
                                                         {Qt::Key_Down, Date(2024, 7, 9)},
                                                         {Qt::Key_PageUp, Date(2024, 6, 9)}}) {
            QTest::keyClick(days, key);
            EXPECT_EQ(form.Calendar_Date(), expected) << "key " << key;
        }
        // The selected date is in the name a screen reader gives the days.
        EXPECT_TRUE(QAccessible::queryAccessibleInterface(days)
                        ->text(QAccessible::Name)
                        .contains(QStringLiteral("2024")));
        // A button's mnemonic presses it as a short animated click.
        QTest::keyClick(&form, Qt::Key_5, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return form.Calendar_Date() == Date(2019, 6, 9); }));
        QTest::keyClick(&form, Qt::Key_Y, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return form.Calendar_Date() == Date(2020, 6, 9); }));
        QTest::keyClick(&form, Qt::Key_O, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([this] { return !form.isVisible(); }));
    });
    EXPECT_EQ(form.Modal_Result(), 1);
    EXPECT_EQ(form.Name(), QStringLiteral("Ann Lee"));
}

TEST_F(Add_Modify_Form_Test, EveryButtonAndLabelHasALetterOfItsOwn) {
    QStringList letters;
    for (const QAbstractButton* button : form.findChildren<QAbstractButton*>()) {
        if (button->isVisibleTo(&form) && !form.MonthCalendar1->isAncestorOf(button)) {
            letters << QKeySequence::mnemonic(button->text()).toString();
        }
    }
    for (const QLabel* label : form.findChildren<QLabel*>()) {
        if (label->buddy() != nullptr) {
            letters << QKeySequence::mnemonic(label->text()).toString();
        }
    }
    // Five year buttons, OK, Cancel, the year check box; four field labels,
    // the lead's and the calendar's.
    EXPECT_EQ(letters.size(), 14);
    for (const QString& letter : letters) {
        EXPECT_FALSE(letter.isEmpty());
        EXPECT_EQ(letters.count(letter), 1) << letter.toStdString();
    }
}

TEST_F(Add_Modify_Form_Test, EveryControlHasANameThatSaysWhatItDoes) {
    form.show();
    EXPECT_EQ(test::Unnamed_Interactive(&form), QStringList());
    const auto name_of = [](QWidget* widget) {
        return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name).trimmed();
    };
    EXPECT_EQ(name_of(form.Back_5_Years_BitBtn), QStringLiteral("Back 5 years"));
    EXPECT_EQ(name_of(form.Back_1_Year_BitBtn), QStringLiteral("Back 1 year"));
    EXPECT_EQ(name_of(form.Forward_1_Year_BitBtn), QStringLiteral("Forward 1 year"));
    EXPECT_EQ(name_of(form.Forward_5_Years_BitBtn), QStringLiteral("Forward 5 years"));
    EXPECT_EQ(name_of(form.Current_Date_BitBtn), QStringLiteral("Today"));
    // Fields are named by their labels, whose texts the window shows.
    EXPECT_EQ(name_of(form.Name_Edit), QStringLiteral("Name / Description :"));
    EXPECT_EQ(name_of(form.Comments_Edit), QStringLiteral("Comments:"));
    EXPECT_EQ(name_of(form.Date_Edit), QStringLiteral("Date, day/month/year"));
    // The event type is heard by its label, empty or not, from the box and
    // from the line typed in.
    for (const QString& value : {QString(), QStringLiteral("Birthday")}) {
        form.Set_Event_Type(value);
        EXPECT_EQ(name_of(form.Event_Type_ComboBox), QStringLiteral("Event Type"));
        EXPECT_EQ(name_of(form.Event_Type_ComboBox->lineEdit()), QStringLiteral("Event Type"));
    }
    form.hide();
}

// The field takes a date typed in the user's order and moves the calendar;
// a date that cannot be leaves the calendar where it was and says why once
// the field is left.
TEST_F(Add_Modify_Form_Test, TypedDatesMoveTheCalendarAndImpossibleOnesSayWhy) {
    struct Case {
        const char* Typed;
        bool Year_Known;
        Day_Number Calendar;  // where the calendar is afterwards
        const char* Shown;    // the field once left
        const char* Problem;
    };
    const Day_Number start = Date(2023, 3, 15);
    const Case cases[] = {
        {"14041986", true, Date(1986, 4, 14), "14/04/1986", ""},
        {"1.2.2001", true, Date(2001, 2, 1), "01/02/2001", ""},
        {"31/02/1986", true, start, "31/02/1986", "February 1986 has only 28 days."},
        {"14/04/86", true, start, "14/04/86", "Type the year in full, with four digits."},
        {"14/04/0000", true, start, "14/04/0000", "There is no year 0000."},
        {"31/12/9999", true, Date(9999, 12, 31), "31/12/9999", ""},
        {"0033-1-1", true, start, "0033-1-1",
         "Type the date as day/month/year, such as 14/04/1986."},
        {"1/1/0033", true, Date(33, 1, 1), "01/01/0033", ""},
        // Without a year, the day moves within the year shown; 29 February
        // goes back to the last leap year.
        {"7/12", false, Date(2023, 12, 7), "07/12", ""},
        {"29/2", false, Date(2020, 2, 29), "29/02", ""},
        {"30/02", false, start, "30/02", "February has only 29 days."},
    };
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Typed);
        ASSERT_TRUE(form.Set_Calendar_Date(start));
        form.Attribute_Controls->Year_Not_Known_CheckBox->setChecked(!c.Year_Known);
        form.Date_Edit->setFocus();
        form.Date_Edit->selectAll();
        QTest::keyClicks(form.Date_Edit, QString::fromUtf8(c.Typed));
        // Half typed, nothing is called wrong yet.
        EXPECT_EQ(form.Date_Problem_Label->text(), QString());
        QTest::keyClick(form.Date_Edit, Qt::Key_Tab);
        EXPECT_EQ(form.Calendar_Date(), c.Calendar);
        EXPECT_EQ(form.Date_Edit->text(), QString::fromUtf8(c.Shown));
        EXPECT_EQ(form.Date_Problem_Label->text(), QString::fromUtf8(c.Problem));
        EXPECT_EQ(form.Date_Edit->accessibleDescription(), QString::fromUtf8(c.Problem));
    }
    form.Attribute_Controls->Year_Not_Known_CheckBox->setChecked(false);
    form.hide();
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Add_Modify_Form_Test, CalendarAndFieldFollowEachOther) {
    ASSERT_TRUE(form.Set_Calendar_Date(Date(2008, 2, 29)));
    EXPECT_EQ(form.Date_Edit->text(), QStringLiteral("29/02/2008"));
    form.Back_1_Year_BitBtn->click();  // no 29 February in 2007: stays
    messages.shown.clear();
    EXPECT_EQ(form.Date_Edit->text(), QStringLiteral("29/02/2008"));
    form.MonthCalendar1->setSelectedDate(QDate(2009, 3, 1));
    EXPECT_EQ(form.Date_Edit->text(), QStringLiteral("01/03/2009"));
    form.Back_5_Years_BitBtn->click();
    EXPECT_EQ(form.Date_Edit->text(), QStringLiteral("01/03/2004"));

    // "Year not known" shows the day and month only, and back.
    QCheckBox* year_not_known = form.Attribute_Controls->Year_Not_Known_CheckBox;
    year_not_known->setChecked(true);
    EXPECT_EQ(form.Date_Edit->text(), QStringLiteral("01/03"));
    EXPECT_EQ(form.Date_Edit->accessibleName(), QStringLiteral("Date, day/month"));
    year_not_known->setChecked(false);
    EXPECT_EQ(form.Date_Edit->text(), QStringLiteral("01/03/2004"));

    // A wrong date stays for the user to mend, the problem told for the
    // field as it now reads; a click on the calendar replaces it.
    form.Date_Edit->setText(QStringLiteral("31/04"));
    emit form.Date_Edit->editingFinished();
    EXPECT_EQ(form.Date_Problem_Label->text(),
              QStringLiteral("Type the date as day/month/year, such as 14/04/1986."));
    year_not_known->setChecked(true);
    EXPECT_EQ(form.Date_Edit->text(), QStringLiteral("31/04"));
    EXPECT_EQ(form.Date_Problem_Label->text(), QStringLiteral("April has only 30 days."));
    form.MonthCalendar1->setSelectedDate(QDate(2004, 3, 2));
    EXPECT_EQ(form.Date_Edit->text(), QStringLiteral("02/03"));
    EXPECT_EQ(form.Date_Problem_Label->text(), QString());
    year_not_known->setChecked(false);
}

// Digits typed on the days start a date in the field, which then moves the
// calendar: the calendar's own date box is gone.
TEST_F(Add_Modify_Form_Test, DigitsTypedOnTheCalendarGoToTheDateField) {
    ASSERT_TRUE(form.Set_Calendar_Date(Date(2024, 6, 15)));
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_D, Qt::AltModifier);
    QWidget* days = QApplication::focusWidget();
    ASSERT_TRUE(days != nullptr && form.MonthCalendar1->isAncestorOf(days));
    QTest::keyClicks(days, QStringLiteral("1"));
    ASSERT_EQ(QApplication::focusWidget(), form.Date_Edit);
    QTest::keyClicks(form.Date_Edit, QStringLiteral("4041986"));
    EXPECT_EQ(form.Date_Edit->text(), QStringLiteral("14041986"));
    EXPECT_EQ(form.Calendar_Date(), Date(1986, 4, 14));
    EXPECT_FALSE(form.MonthCalendar1->isDateEditEnabled());
    form.hide();
}

TEST_F(Add_Modify_Form_Test, OkWithAnImpossibleTypedDateFocusesTheFieldAndStaysOpen) {
    form.Set_Name(QStringLiteral("Ann"));
    form.Set_Event_Type(QStringLiteral("Birthday"));
    ASSERT_TRUE(form.Set_Calendar_Date(Date(1990, 1, 1)));
    Exec_With([this] {
        form.Date_Edit->setText(QStringLiteral("31/02/1986"));
        QTest::mouseClick(form.OK_BitBtn, Qt::LeftButton);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Error);
        EXPECT_EQ(messages.shown[0].Text, QStringLiteral("Error: February 1986 has only 28 days."));
        EXPECT_EQ(messages.shown[0].Focus, form.Date_Edit);
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.Calendar_Date(), Date(1990, 1, 1));

        // Set without typing, a valid date is still the one OK takes.
        form.Date_Edit->setText(QStringLiteral("28/02/1986"));
        QTest::mouseClick(form.OK_BitBtn, Qt::LeftButton);
    });
    EXPECT_EQ(form.Modal_Result(), 1);
    EXPECT_EQ(form.Calendar_Date(), Date(1986, 2, 28));
}

}  // namespace
}  // namespace tessaly
