// The coming-events report command of the main window.
#include <QCoreApplication>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>

#include "core/program_identity.h"
#include "report/report_builder.h"
#include "report/report_window.h"
#include "ui/common/clock.h"
#include "ui/main/main_form.h"
#include "ui/main/main_form_messages.h"
#include "ui/main/radio_group.h"

namespace tessaly {

namespace {

// The text the user sees, not the last value the box accepted: a text that is
// no number reads as the lowest time frame, one out of range as its bound.
int Threshold_Of(const QSpinBox& spin) {
    bool is_number = false;
    const int typed = spin.cleanText().trimmed().toInt(&is_number);
    if (!is_number) {
        return spin.minimum();
    }
    return std::clamp(typed, spin.minimum(), spin.maximum());
}

}  // namespace

void TMainForm1::Inform_Me_Now_BitBtnClick() {
    if (Event_Array.Event_Count() == 0) {
        Show_Error(services_.Messages, this, Nothing_To_Report_Error());
        return;
    }

    // Past midnight the days left are yesterday's until the date check runs;
    // the report states today's date, so its figures must be today's too.
    const Day_Number today = services_.Time.Today();
    if (today != Last_Refresh_Date) {
        Refresh_StringGrid_From_Array_ButtonClick();
    }

    const int user_column = Sort_By_Column_RadioGroup->Item_Index();
    const int user_order = Ascending_Descending_RadioGroup->Item_Index();
    Sort_By_Column_RadioGroup->Set_Item_Index(Report_Sort_Column);
    Ascending_Descending_RadioGroup->Set_Item_Index(Report_Sort_Order);
    Sort_Data_BitBtnClick();

    TBirthday_And_Date_Report_Form& report = *Birthday_And_Date_Report_Form;
    report.setWindowTitle(QStringLiteral("Coming Birthdays and Events : "));
    report.Set_Report(Build_Coming_Events_Report(
        Report_Inputs{&Event_Array, Threshold_Of(*Days_Threshold_SpinEdit), today, short_date_,
                      Maker_Web_Address}));

    Sort_By_Column_RadioGroup->Set_Item_Index(user_column);
    Ascending_Descending_RadioGroup->Set_Item_Index(user_order);
    Sort_Data_BitBtnClick();

    report.Close_Window_BitBtn->setText(QStringLiteral("&Events List"));
    report.exec();

    // A close the user turned down (the list could not be saved) must not
    // leave a start-up report's hidden window out of reach.
    if (closed_under_report_ || (report.Exit_Program_Requested() && close())) {
        // Closing a window that the start-up report hid ends no event loop
        // by itself: the application would run on with no window at all.
        QCoreApplication::quit();
        return;
    }
    show();
}

}  // namespace tessaly
