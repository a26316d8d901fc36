#pragma once

#include <QObject>

#include "core/dates.h"
#include "core/entry_attributes.h"

class QCheckBox;
class QLabel;
class QSpinBox;

namespace tessaly {

class TAdd_Modify_Form;

// The add / modify dialog's controls for what an entry carries beyond its
// record: "Year not known" and the entry's own reminder lead, in the free
// column right of the calendar, so that the dialog's other controls keep
// their places. Like the other fields they keep their values between
// showings.
class Entry_Attribute_Controls final : public QObject {
    Q_OBJECT

public:
    explicit Entry_Attribute_Controls(TAdd_Modify_Form& dialog);

    // Year not known as checked; the lead as set (the spin box's lowest value
    // reads as none, the main window's time-frame).
    Entry_Attributes Attributes() const;
    void Set_Attributes(const Entry_Attributes& attributes);

    // The date the entry stores for the calendar's day: a year-less one
    // keeps only the month and day.
    Day_Number Stored_Date(Day_Number calendar_date) const;

    QCheckBox* Year_Not_Known_CheckBox;
    QLabel* Own_Lead_Label;
    QSpinBox* Own_Lead_SpinEdit;
};

// The day the calendar shows for an entry: a year-less one on its month and
// day in today's year, or for 29 February in the last leap year before.
Day_Number Calendar_Date_Of(const TName_And_Event_Data& entry, Day_Number today);

}  // namespace tessaly
