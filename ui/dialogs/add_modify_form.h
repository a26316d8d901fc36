#pragma once

#include <QDialog>
#include <QString>

#include "core/dates.h"
#include "core/short_date.h"
#include "ui/dialogs/typed_date.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace tessaly {

class Clock;
class Entry_Attribute_Controls;
class Message_Boxes;
class Month_Calendar;

// The modal dialog in which the user enters a new entry or changes one. It
// never touches the list: the caller fills it, shows it, and reads it back
// when Modal_Result() is 1. The fields keep their values between showings.
class TAdd_Modify_Form final : public QDialog {
    Q_OBJECT

public:
    // Outcome values of Modal_Result_SpinEdit.
    static constexpr int Accepted_Result = 1;
    static constexpr int Cancelled_Result = 2;

    // An empty formatter shows today's line in the C library's short date.
    TAdd_Modify_Form(Clock& clock, Message_Boxes& messages, Short_Date_Formatter short_date = {},
                     QWidget* parent = nullptr);

    QString Name() const;
    void Set_Name(const QString& name);
    QString Event_Type() const;
    void Set_Event_Type(const QString& event_type);
    QString Comments() const;
    void Set_Comments(const QString& comments);

    // The selected day as a whole day number.
    Day_Number Calendar_Date() const;
    // Reports "Failed to set calendar date or time" and returns false, the
    // calendar keeping its date, when the calendar cannot show the date.
    bool Set_Calendar_Date(Day_Number date);

    // An entry from an address book: its name, date and type are the
    // contact's and cannot be changed here, with a note saying where they
    // can; its comment and own lead stay open to change.
    void Set_From_Contact(bool from_contact);
    bool From_Contact() const { return from_contact_; }

    // 0 before the first showing, 2 from the moment it is shown, 1 after a
    // successful OK.
    int Modal_Result() const;

    // The today-marker update: the circle on today is shown exactly when the
    // calendar shows the current month of the current year.
    void Check_For_Current_Month_Year_ButtonClick();

    void Back_5_Years_BitBtnClick() { Jump_Years(-5); }
    void Back_1_Year_BitBtnClick() { Jump_Years(-1); }
    void Current_Date_BitBtnClick();
    void Forward_1_Year_BitBtnClick() { Jump_Years(1); }
    void Forward_5_Years_BitBtnClick() { Jump_Years(5); }
    void OK_BitBtnClick();
    void Cancel_BitBtnClick();

    // Any way of closing other than OK counts as cancelled.
    void reject() override;

    QPushButton* Back_5_Years_BitBtn;
    QPushButton* Back_1_Year_BitBtn;
    QPushButton* Current_Date_BitBtn;
    QPushButton* Forward_1_Year_BitBtn;
    QPushButton* Forward_5_Years_BitBtn;
    Month_Calendar* MonthCalendar1;
    QLabel* Label1;
    QLineEdit* Name_Edit;
    QLabel* Label2;
    QComboBox* Event_Type_ComboBox;
    QLabel* Label3;
    QLineEdit* Comments_Edit;
    QPushButton* OK_BitBtn;
    QPushButton* Cancel_BitBtn;
    QSpinBox* Modal_Result_SpinEdit;
    // Year not known and the entry's own lead.
    Entry_Attribute_Controls* Attribute_Controls = nullptr;
    // The date typed in the user's short date, left of the calendar; the
    // two follow each other. The line below the field says what is wrong
    // with a date that cannot be.
    QLabel* Date_Label;
    QLineEdit* Date_Edit;
    QLabel* Date_Problem_Label;
    // In the date column while the entry is from an address book: a date
    // that cannot be changed has no problem to show there.
    QLabel* Contact_Note_Label;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormActivate();
    void Jump_Years(int years);
    bool Year_Known() const;
    Typed_Date Typed_In_Field() const;
    // The calendar's date in the field, as the grid shows it.
    void Show_Calendar_Date_In_Field();
    void Move_Calendar_To(const Typed_Date& typed);
    void Show_Date_Problem(const QString& problem);
    void Date_EditTextEdited();
    void Date_EditEditingFinished();
    void Year_Not_Known_Toggled(bool checked);
    // Shows a failure the way the program's general error report does.
    void Report_Error(const QString& text);

    Clock& clock_;
    Message_Boxes& messages_;
    Short_Date_Formatter short_date_;
    Short_Date_Shape shape_;
    // The calendar moves to a typed date without rewriting the field under
    // the user's fingers.
    bool moving_to_typed_date_ = false;
    bool from_contact_ = false;
};

}  // namespace tessaly
