#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "test_support/scripted_message_boxes.h"
#include "test_support/wine.h"
#include "ui/common/clock.h"
#include "ui/dialogs/add_modify_form.h"
#include "ui/dialogs/entry_attribute_controls.h"
#include "ui/dialogs/month_calendar.h"

namespace tessaly {
namespace {

class Entry_Attribute_Controls_Test : public ::testing::Test {
protected:
    Entry_Attribute_Controls& Controls() { return *form.Attribute_Controls; }

    Fake_Clock clock{QDateTime(QDate(2026, 12, 7), QTime(9, 30))};
    test::Scripted_Message_Boxes messages;
    TAdd_Modify_Form form{clock, messages, Make_Strftime_Formatter("%d/%m/%Y")};
};

TEST_F(Entry_Attribute_Controls_Test, SitBesideTheCalendarWithoutMovingOrCoveringAnything) {
    EXPECT_EQ(form.size(), QSize(426, 418));
    EXPECT_EQ(form.MonthCalendar1->geometry(), QRect(100, 46, 211, 193));
    EXPECT_EQ(Controls().Year_Not_Known_CheckBox->text(), "Year not\n&known");
    // Text is measured on Linux and Windows only: Wine's metrics differ.
    if (!test::Running_Under_Wine()) {
        EXPECT_GE(Controls().Year_Not_Known_CheckBox->width(),
                  Controls().Year_Not_Known_CheckBox->sizeHint().width());
    }
    const QWidget* added[] = {Controls().Year_Not_Known_CheckBox,
                              Controls().Own_Lead_Label,
                              Controls().Own_Lead_SpinEdit,
                              form.Date_Label,
                              form.Date_Edit,
                              form.Date_Problem_Label};
    const QWidget* design[] = {form.Back_5_Years_BitBtn, form.Forward_5_Years_BitBtn,
                               form.MonthCalendar1,      form.Name_Edit,
                               form.Event_Type_ComboBox, form.Comments_Edit,
                               form.OK_BitBtn,           form.Cancel_BitBtn};
    for (const QWidget* control : added) {
        EXPECT_TRUE(form.rect().contains(control->geometry()))
            << control->objectName().toStdString();
        for (const QWidget* other : design) {
            EXPECT_FALSE(control->geometry().intersects(other->geometry()))
                << control->objectName().toStdString() << " covers "
                << other->objectName().toStdString();
        }
    }
    for (const QWidget* control : added) {
        for (const QWidget* other : added) {
            EXPECT_TRUE(control == other || !control->geometry().intersects(other->geometry()))
                << control->objectName().toStdString() << " covers "
                << other->objectName().toStdString();
        }
    }
    // A whole date fits the field in the dialog's face.
    if (!test::Running_Under_Wine()) {
        EXPECT_LT(form.Date_Edit->fontMetrics().horizontalAdvance(QStringLiteral("28/12/2026")),
                  form.Date_Edit->width() - 8);
    }
    // Reached by Tab from the date buttons and the typed date, before the
    // name.
    EXPECT_EQ(form.Forward_5_Years_BitBtn->nextInFocusChain(), form.Date_Edit);
    EXPECT_EQ(form.Date_Edit->nextInFocusChain(), Controls().Year_Not_Known_CheckBox);
    EXPECT_EQ(Controls().Year_Not_Known_CheckBox->nextInFocusChain(), Controls().Own_Lead_SpinEdit);
}

TEST_F(Entry_Attribute_Controls_Test, TheLowestLeadIsTheTimeFrameAndValuesRoundTrip) {
    EXPECT_EQ(Controls().Attributes(), Entry_Attributes{});
    EXPECT_EQ(Controls().Own_Lead_SpinEdit->text(), "Time-frame");
    Controls().Set_Attributes({true, 365});
    EXPECT_EQ(Controls().Own_Lead_SpinEdit->text(), "365 days");
    EXPECT_EQ(Controls().Attributes(), (Entry_Attributes{true, 365}));
    Controls().Own_Lead_SpinEdit->setValue(400);
    EXPECT_EQ(Controls().Attributes(), (Entry_Attributes{true, 365}));
    Controls().Set_Attributes({});
    EXPECT_EQ(Controls().Attributes(), Entry_Attributes{});
}

TEST_F(Entry_Attribute_Controls_Test, AYearLessDateKeepsMonthAndDayAndShowsInAYearTheCalendarHas) {
    const Day_Number leap_day = Encode_Date(2024, 2, 29);
    EXPECT_EQ(Controls().Stored_Date(leap_day), leap_day);
    Controls().Year_Not_Known_CheckBox->setChecked(true);
    EXPECT_EQ(Controls().Stored_Date(leap_day), Year_Unknown_Date(2, 29));

    TName_And_Event_Data entry;
    entry.Orig_Date = Year_Unknown_Date(2, 29);
    entry.Spare_1 = "[Tessaly/1]year=unknown";
    const Day_Number today = clock.Today();
    EXPECT_EQ(Calendar_Date_Of(entry, today), leap_day);
    entry.Orig_Date = Year_Unknown_Date(4, 14);
    EXPECT_EQ(Calendar_Date_Of(entry, today), Encode_Date(2026, 4, 14));
    entry.Spare_1.clear();
    EXPECT_EQ(Calendar_Date_Of(entry, today), Year_Unknown_Date(4, 14));
}

}  // namespace
}  // namespace tessaly
