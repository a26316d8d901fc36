#include "ui/dialogs/entry_attribute_controls.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "ui/dialogs/add_modify_form.h"

namespace tessaly {

namespace {

// The column right of the calendar (which ends at 311).
constexpr int Column_Left = 316;
constexpr int Column_Width = 106;
constexpr int No_Own_Lead = 0;

}  // namespace

Entry_Attribute_Controls::Entry_Attribute_Controls(TAdd_Modify_Form& dialog) : QObject(&dialog) {
    setObjectName(QStringLiteral("Entry_Attribute_Controls"));

    // Two lines: the column is narrower than the text on one.
    Year_Not_Known_CheckBox = new QCheckBox(QStringLiteral("Year not\n&known"), &dialog);
    Year_Not_Known_CheckBox->setObjectName(QStringLiteral("Year_Not_Known_CheckBox"));
    Year_Not_Known_CheckBox->setGeometry(Column_Left, 54, Column_Width, 38);
    Year_Not_Known_CheckBox->setAccessibleName(QStringLiteral("Year not known"));
    Year_Not_Known_CheckBox->setToolTip(
        QStringLiteral("The date has no year: the entry is shown without an age."));

    Own_Lead_Label = new QLabel(QStringLiteral("Rem&ind me :"), &dialog);
    Own_Lead_Label->setObjectName(QStringLiteral("Own_Lead_Label"));
    Own_Lead_Label->setGeometry(Column_Left, 104, Column_Width, 17);

    Own_Lead_SpinEdit = new QSpinBox(&dialog);
    Own_Lead_SpinEdit->setObjectName(QStringLiteral("Own_Lead_SpinEdit"));
    Own_Lead_SpinEdit->setGeometry(Column_Left, 124, 100, 25);
    Own_Lead_SpinEdit->setRange(No_Own_Lead, Maximum_Own_Lead);
    // The lowest value stands for no lead of the entry's own.
    Own_Lead_SpinEdit->setSpecialValueText(QStringLiteral("Time-frame"));
    Own_Lead_SpinEdit->setSuffix(QStringLiteral(" days"));
    Own_Lead_SpinEdit->setToolTip(QStringLiteral(
        "How many days ahead the report shows this entry. \"Time-frame\": as many as the main "
        "window's time-frame."));
    Own_Lead_SpinEdit->setAccessibleName(QStringLiteral("Remind me, days ahead"));
    Own_Lead_Label->setBuddy(Own_Lead_SpinEdit);

    // Reached from the date controls, before the name.
    QWidget::setTabOrder(dialog.Forward_5_Years_BitBtn, Year_Not_Known_CheckBox);
    QWidget::setTabOrder(Year_Not_Known_CheckBox, Own_Lead_SpinEdit);
}

Entry_Attributes Entry_Attribute_Controls::Attributes() const {
    Entry_Attributes attributes;
    attributes.Year_Unknown = Year_Not_Known_CheckBox->isChecked();
    if (Own_Lead_SpinEdit->value() != No_Own_Lead) {
        attributes.Own_Lead = Own_Lead_SpinEdit->value();
    }
    return attributes;
}

void Entry_Attribute_Controls::Set_Attributes(const Entry_Attributes& attributes) {
    Year_Not_Known_CheckBox->setChecked(attributes.Year_Unknown);
    Own_Lead_SpinEdit->setValue(attributes.Own_Lead.value_or(No_Own_Lead));
}

Day_Number Entry_Attribute_Controls::Stored_Date(Day_Number calendar_date) const {
    if (!Year_Not_Known_CheckBox->isChecked()) {
        return calendar_date;
    }
    const Civil_Date date = Decode_Date(calendar_date);
    return Year_Unknown_Date(date.Month, date.Day);
}

Day_Number Calendar_Date_Of(const TName_And_Event_Data& entry, Day_Number today) {
    if (!Read_Entry_Attributes(entry).Year_Unknown) {
        return entry.Orig_Date;
    }
    const Civil_Date date = Decode_Date(entry.Orig_Date);
    int year = Decode_Date(today).Year;
    while (!Is_Valid_Civil_Date(year, date.Month, date.Day) && year > 1) {
        --year;
    }
    return Is_Valid_Civil_Date(year, date.Month, date.Day) ? Encode_Date(year, date.Month, date.Day)
                                                           : entry.Orig_Date;
}

}  // namespace tessaly
