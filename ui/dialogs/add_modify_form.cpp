#include "ui/dialogs/add_modify_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "core/errors.h"
#include "core/program_identity.h"
#include "ui/common/clock.h"
#include "ui/common/message_boxes.h"
#include "ui/common/text.h"
#include "ui/dialogs/dialog_glyphs.h"
#include "ui/dialogs/entry_attribute_controls.h"
#include "ui/dialogs/labelled_combo_box.h"
#include "ui/dialogs/month_calendar.h"
#include "widgets/button_keys.h"
#include "widgets/readable_foreground.h"

namespace tessaly {

namespace {

constexpr int Client_Width = 426;
constexpr int Client_Height = 418;
constexpr int Form_Left = 433;
constexpr int Form_Top = 157;
// The free column left of the calendar.
constexpr int Date_Column_Left = 4;
constexpr int Date_Column_Width = 92;
const QColor Problem_Red(190, 0, 0);

QString Contact_Note_Text() {
    return QStringLiteral(
        "Its name, date and type come from the contact in your address book: change them "
        "there.");
}

QPushButton* Make_Button(QWidget* parent, const QString& caption, Dialog_Glyph glyph,
                         const QRect& geometry, bool glyph_right) {
    auto* button = new QPushButton(caption, parent);
    button->setIcon(Make_Dialog_Glyph(glyph));
    const int size = Dialog_Glyph_Size(glyph);
    button->setIconSize(QSize(size, size));
    // Neither Enter nor any button press by default may close the dialog.
    button->setAutoDefault(false);
    button->setDefault(false);
    if (glyph_right) {
        button->setLayoutDirection(Qt::RightToLeft);
    }
    button->setGeometry(geometry);
    return button;
}

QLabel* Make_Label(QWidget* parent, const QString& caption, Qt::Alignment alignment,
                   const QRect& geometry) {
    auto* label = new QLabel(caption, parent);
    label->setAlignment(alignment | Qt::AlignVCenter);
    label->setGeometry(geometry);
    return label;
}

}  // namespace

TAdd_Modify_Form::TAdd_Modify_Form(Clock& clock, Message_Boxes& messages,
                                   Short_Date_Formatter short_date, QWidget* parent)
    : QDialog(parent),
      clock_(clock),
      messages_(messages),
      short_date_(short_date ? std::move(short_date)
                             : Make_Strftime_Formatter(Locale_Short_Date_Pattern())),
      shape_(Shape_Of(short_date_)) {
    setObjectName(QStringLiteral("Add_Modify_Form"));
    // The caller sets the caption before every showing.
    setWindowTitle(QStringLiteral("Add / Modify"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Client_Width, Client_Height);
    setSizeGripEnabled(false);
    QFont form_font(QStringLiteral("Times New Roman"));
    form_font.setPixelSize(15);
    setFont(form_font);

    // The direction is in the glyphs only: the names say it too.
    Back_5_Years_BitBtn = Make_Button(this, QStringLiteral("&5 Years"), Dialog_Glyph::Dart_Left,
                                      QRect(12, 18, 75, 25), false);
    Back_5_Years_BitBtn->setAccessibleName(QStringLiteral("Back 5 years"));
    Back_1_Year_BitBtn = Make_Button(this, QStringLiteral("&1 Year"), Dialog_Glyph::Arrow_Left,
                                     QRect(88, 18, 75, 25), false);
    Back_1_Year_BitBtn->setAccessibleName(QStringLiteral("Back 1 year"));
    Current_Date_BitBtn = Make_Button(this, QStringLiteral("&Today"), Dialog_Glyph::Calendar_Leaf,
                                      QRect(164, 18, 75, 25), true);
    Forward_1_Year_BitBtn = Make_Button(this, QStringLiteral("1 &Year"), Dialog_Glyph::Arrow_Right,
                                        QRect(240, 18, 75, 25), true);
    Forward_1_Year_BitBtn->setAccessibleName(QStringLiteral("Forward 1 year"));
    Forward_5_Years_BitBtn = Make_Button(this, QStringLiteral("5 Yea&rs"), Dialog_Glyph::Dart_Right,
                                         QRect(316, 18, 75, 25), true);
    Forward_5_Years_BitBtn->setAccessibleName(QStringLiteral("Forward 5 years"));

    MonthCalendar1 = new Month_Calendar(this);
    MonthCalendar1->setGeometry(100, 46, 211, 193);

    Date_Label = Make_Label(this, QStringLiteral("D&ate :"), Qt::AlignLeft,
                            QRect(Date_Column_Left, 50, Date_Column_Width, 17));
    Date_Label->setObjectName(QStringLiteral("Date_Label"));
    Date_Edit = new QLineEdit(this);
    Date_Edit->setObjectName(QStringLiteral("Date_Edit"));
    Date_Edit->setGeometry(Date_Column_Left, 68, Date_Column_Width, 25);
    Date_Label->setBuddy(Date_Edit);
    Date_Problem_Label = Make_Label(this, QString(), Qt::AlignLeft | Qt::AlignTop,
                                    QRect(Date_Column_Left, 97, Date_Column_Width, 140));
    Date_Problem_Label->setObjectName(QStringLiteral("Date_Problem_Label"));
    Date_Problem_Label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Date_Problem_Label->setWordWrap(true);
    Keep_Readable_Foreground(*Date_Problem_Label, Problem_Red);

    Contact_Note_Label = Make_Label(this, Contact_Note_Text(), Qt::AlignLeft | Qt::AlignTop,
                                    QRect(Date_Column_Left, 97, Date_Column_Width, 140));
    Contact_Note_Label->setObjectName(QStringLiteral("Contact_Note_Label"));
    Contact_Note_Label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Contact_Note_Label->setWordWrap(true);
    Contact_Note_Label->setVisible(false);

    Label1 = Make_Label(this, QStringLiteral("&Name / Description : "), Qt::AlignRight,
                        QRect(5, 252, 135, 17));
    Name_Edit = new QLineEdit(this);
    Name_Edit->setGeometry(144, 246, 277, 25);
    Label1->setBuddy(Name_Edit);

    Label2 =
        Make_Label(this, QStringLiteral("&Event Type :"), Qt::AlignRight, QRect(5, 280, 135, 17));
    Event_Type_ComboBox = new Labelled_Combo_Box(this);
    Event_Type_ComboBox->setEditable(true);
    Event_Type_ComboBox->addItems({QStringLiteral("Anniversary"), QStringLiteral("Annual Meeting"),
                                   QStringLiteral("Birthday"), QStringLiteral("Other"),
                                   QStringLiteral("Reunion"), QStringLiteral("School Reunion"),
                                   QStringLiteral("Wedding Anniversary")});
    // The suggestions are fixed and typed text stays as typed: a completer
    // would also make the box swap "birthday" for the item "Birthday".
    Event_Type_ComboBox->setInsertPolicy(QComboBox::NoInsert);
    Event_Type_ComboBox->setCompleter(nullptr);
    Event_Type_ComboBox->setCurrentIndex(-1);
    Event_Type_ComboBox->clearEditText();
    Event_Type_ComboBox->setGeometry(144, 276, 273, 25);
    Label2->setBuddy(Event_Type_ComboBox);
    // A screen reader names the box and the line typed in by the label.
    Event_Type_ComboBox->setAccessibleName(QStringLiteral("Event Type"));
    Event_Type_ComboBox->lineEdit()->setAccessibleName(QStringLiteral("Event Type"));

    Label3 =
        Make_Label(this, QStringLiteral("Co&mments:"), Qt::AlignHCenter, QRect(10, 316, 79, 17));
    Comments_Edit = new QLineEdit(this);
    Comments_Edit->setGeometry(8, 336, 413, 25);
    Label3->setBuddy(Comments_Edit);

    OK_BitBtn = Make_Button(this, QStringLiteral("&OK"), Dialog_Glyph::Tick,
                            QRect(109, 380, 97, 33), false);
    Cancel_BitBtn = Make_Button(this, QStringLiteral("&Cancel"), Dialog_Glyph::Cross,
                                QRect(221, 380, 97, 33), false);

    Modal_Result_SpinEdit = new QSpinBox(this);
    Modal_Result_SpinEdit->setRange(-1, 100);
    Modal_Result_SpinEdit->setValue(0);
    Modal_Result_SpinEdit->setVisible(false);

    // The comment box comes last, after Cancel.
    setTabOrder(Back_5_Years_BitBtn, Back_1_Year_BitBtn);
    setTabOrder(Back_1_Year_BitBtn, Current_Date_BitBtn);
    setTabOrder(Current_Date_BitBtn, Forward_1_Year_BitBtn);
    setTabOrder(Forward_1_Year_BitBtn, Forward_5_Years_BitBtn);
    setTabOrder(Forward_5_Years_BitBtn, Name_Edit);
    setTabOrder(Name_Edit, Event_Type_ComboBox);
    setTabOrder(Event_Type_ComboBox, OK_BitBtn);
    setTabOrder(OK_BitBtn, Cancel_BitBtn);
    setTabOrder(Cancel_BitBtn, Comments_Edit);
    Enter_Presses_Focused_Button(*this);

    connect(Back_5_Years_BitBtn, &QPushButton::clicked, this,
            &TAdd_Modify_Form::Back_5_Years_BitBtnClick);
    connect(Back_1_Year_BitBtn, &QPushButton::clicked, this,
            &TAdd_Modify_Form::Back_1_Year_BitBtnClick);
    connect(Current_Date_BitBtn, &QPushButton::clicked, this,
            &TAdd_Modify_Form::Current_Date_BitBtnClick);
    connect(Forward_1_Year_BitBtn, &QPushButton::clicked, this,
            &TAdd_Modify_Form::Forward_1_Year_BitBtnClick);
    connect(Forward_5_Years_BitBtn, &QPushButton::clicked, this,
            &TAdd_Modify_Form::Forward_5_Years_BitBtnClick);
    connect(OK_BitBtn, &QPushButton::clicked, this, &TAdd_Modify_Form::OK_BitBtnClick);
    connect(Cancel_BitBtn, &QPushButton::clicked, this, &TAdd_Modify_Form::Cancel_BitBtnClick);
    // The calendar's own month and year arrows change the page as well.
    connect(MonthCalendar1, &QCalendarWidget::currentPageChanged, this,
            &TAdd_Modify_Form::Check_For_Current_Month_Year_ButtonClick);
    connect(MonthCalendar1, &QCalendarWidget::clicked, this,
            &TAdd_Modify_Form::Check_For_Current_Month_Year_ButtonClick);
    connect(MonthCalendar1, &QCalendarWidget::selectionChanged, this, [this] {
        if (!moving_to_typed_date_) {
            Show_Calendar_Date_In_Field();
        }
    });
    connect(MonthCalendar1, &Month_Calendar::Date_Typing_Started, this,
            [this](const QString& typed) {
                Date_Edit->setFocus(Qt::OtherFocusReason);
                Date_Edit->setText(typed);
                Date_EditTextEdited();
            });
    connect(Date_Edit, &QLineEdit::textEdited, this, &TAdd_Modify_Form::Date_EditTextEdited);
    connect(Date_Edit, &QLineEdit::editingFinished, this,
            &TAdd_Modify_Form::Date_EditEditingFinished);

    MonthCalendar1->setSelectedDate(QDate(2005, 4, 22));
    MonthCalendar1->setCurrentPage(2005, 4);
    // The circle stays off until the first update.
    MonthCalendar1->Set_Today_Circle_Shown(false);
    const Day_Number today = clock_.Today();
    MonthCalendar1->Set_Today(To_QDate(today),
                              From_File_Text(Format_Short_Date(short_date_, today)));

    Attribute_Controls = new Entry_Attribute_Controls(*this);
    connect(Attribute_Controls->Year_Not_Known_CheckBox, &QCheckBox::toggled, this,
            &TAdd_Modify_Form::Year_Not_Known_Toggled);
    // The typed date comes with the other date controls, before "Year not
    // known", which changes what it shows.
    setTabOrder(Forward_5_Years_BitBtn, Date_Edit);
    setTabOrder(Date_Edit, Attribute_Controls->Year_Not_Known_CheckBox);
    Show_Calendar_Date_In_Field();

    move(Form_Left, Form_Top);
}

QString TAdd_Modify_Form::Name() const {
    return Name_Edit->text();
}

void TAdd_Modify_Form::Set_Name(const QString& name) {
    Name_Edit->setText(name);
}

QString TAdd_Modify_Form::Event_Type() const {
    return Event_Type_ComboBox->currentText();
}

void TAdd_Modify_Form::Set_Event_Type(const QString& event_type) {
    Event_Type_ComboBox->setEditText(event_type);
}

QString TAdd_Modify_Form::Comments() const {
    return Comments_Edit->text();
}

void TAdd_Modify_Form::Set_Comments(const QString& comments) {
    Comments_Edit->setText(comments);
}

Day_Number TAdd_Modify_Form::Calendar_Date() const {
    return To_Day_Number(MonthCalendar1->selectedDate());
}

bool TAdd_Modify_Form::Set_Calendar_Date(Day_Number date) {
    QDate wanted;
    if (Is_Day_Number_In_Range(date)) {
        wanted = To_QDate(date);
    }
    if (!wanted.isValid() || wanted < MonthCalendar1->minimumDate() ||
        wanted > MonthCalendar1->maximumDate()) {
        Report_Error(QStringLiteral("Failed to set calendar date or time"));
        return false;
    }
    MonthCalendar1->setSelectedDate(wanted);
    MonthCalendar1->setCurrentPage(wanted.year(), wanted.month());
    // Also when the calendar was on that day already: the field may still
    // hold a wrong date left from the last showing.
    Show_Calendar_Date_In_Field();
    return true;
}

void TAdd_Modify_Form::Set_From_Contact(bool from_contact) {
    from_contact_ = from_contact;
    Name_Edit->setReadOnly(from_contact);
    Event_Type_ComboBox->setEnabled(!from_contact);
    Date_Edit->setReadOnly(from_contact);
    MonthCalendar1->setEnabled(!from_contact);
    for (QPushButton* button : {Back_5_Years_BitBtn, Back_1_Year_BitBtn, Current_Date_BitBtn,
                                Forward_1_Year_BitBtn, Forward_5_Years_BitBtn}) {
        button->setEnabled(!from_contact);
    }
    // Whether the date has a year is the contact's too.
    Attribute_Controls->Year_Not_Known_CheckBox->setEnabled(!from_contact);
    Show_Date_Problem(QString());
    Date_Problem_Label->setVisible(!from_contact);
    Contact_Note_Label->setVisible(from_contact);
    Name_Edit->setAccessibleDescription(from_contact ? Contact_Note_Text() : QString());
}

int TAdd_Modify_Form::Modal_Result() const {
    return Modal_Result_SpinEdit->value();
}

void TAdd_Modify_Form::Check_For_Current_Month_Year_ButtonClick() {
    const Day_Number today = clock_.Today();
    const QDate today_date = To_QDate(today);
    // The clock may have passed midnight since the last showing.
    MonthCalendar1->Set_Today(today_date, From_File_Text(Format_Short_Date(short_date_, today)));
    MonthCalendar1->Set_Today_Circle_Shown(MonthCalendar1->yearShown() == today_date.year() &&
                                           MonthCalendar1->monthShown() == today_date.month());
}

void TAdd_Modify_Form::Current_Date_BitBtnClick() {
    if (Set_Calendar_Date(clock_.Today())) {
        Check_For_Current_Month_Year_ButtonClick();
    }
}

void TAdd_Modify_Form::Jump_Years(int years) {
    const Civil_Date from = Decode_Date(Calendar_Date());
    Day_Number to = 0;
    try {
        to = Encode_Date(from.Year + years, from.Month, from.Day);
    } catch (const Convert_Error& error) {
        Report_Error(QString::fromUtf8(error.what()));
        return;
    }
    if (Set_Calendar_Date(to)) {
        Check_For_Current_Month_Year_ButtonClick();
    }
}

void TAdd_Modify_Form::OK_BitBtnClick() {
    // The date comes first, as it does on the screen; a typed date that
    // cannot be is never traded for the calendar's.
    const Typed_Date typed = Typed_In_Field();
    if (!typed.Valid) {
        Date_Edit->setFocus();
        Show_Date_Problem(typed.Problem);
        messages_.Show(this, Message_Kind::Error, QString::fromUtf8(Program_Title),
                       QStringLiteral("Error: ") + typed.Problem);
        return;
    }
    Move_Calendar_To(typed);
    // Only an empty text is blank: a name of blanks is a name.
    if (Name_Edit->text().isEmpty()) {
        Name_Edit->setFocus();
        messages_.Show(this, Message_Kind::Error, QString::fromUtf8(Program_Title),
                       QStringLiteral("Error: The name cannot be blank."));
        return;
    }
    if (Event_Type_ComboBox->currentText().isEmpty()) {
        Event_Type_ComboBox->setFocus();
        messages_.Show(this, Message_Kind::Error, QString::fromUtf8(Program_Title),
                       QStringLiteral("Error: The event type cannot be blank."));
        return;
    }
    Modal_Result_SpinEdit->setValue(Accepted_Result);
    accept();
}

void TAdd_Modify_Form::Cancel_BitBtnClick() {
    reject();
}

void TAdd_Modify_Form::reject() {
    Modal_Result_SpinEdit->setValue(Cancelled_Result);
    QDialog::reject();
}

void TAdd_Modify_Form::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TAdd_Modify_Form::keyPressEvent(QKeyEvent* event) {
    // No default or cancel button: Enter and Esc leave the dialog open.
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void TAdd_Modify_Form::FormActivate() {
    Modal_Result_SpinEdit->setValue(Cancelled_Result);
    // A wrong date left in the field when the dialog was last cancelled
    // gives way to the calendar's.
    if (!Typed_In_Field().Valid) {
        Show_Calendar_Date_In_Field();
    }
    Check_For_Current_Month_Year_ButtonClick();
    // Typing starts at the name, replacing the one kept from last time: with
    // the focus on a year button, the blank in "Ann Lee" moved the date.
    // For an entry from an address book the comment is what can change.
    QLineEdit* first = from_contact_ ? Comments_Edit : Name_Edit;
    first->setFocus(Qt::TabFocusReason);
    first->selectAll();
}

bool TAdd_Modify_Form::Year_Known() const {
    return Attribute_Controls == nullptr ||
           !Attribute_Controls->Year_Not_Known_CheckBox->isChecked();
}

Typed_Date TAdd_Modify_Form::Typed_In_Field() const {
    return Read_Typed_Date(Date_Edit->text(), shape_, Year_Known());
}

void TAdd_Modify_Form::Show_Calendar_Date_In_Field() {
    Date_Edit->setText(Shown_Date(short_date_, Decode_Date(Calendar_Date()), Year_Known()));
    const QString order = Order_Text(shape_, Year_Known());
    Date_Edit->setAccessibleName(QStringLiteral("Date, %1").arg(order));
    Date_Edit->setToolTip(
        QStringLiteral("Type the date as %1, or pick it on the calendar.").arg(order));
    Show_Date_Problem(QString());
}

void TAdd_Modify_Form::Move_Calendar_To(const Typed_Date& typed) {
    int year = typed.Year;
    if (year == 0) {
        // A date without a year stays in the year the calendar shows; 29
        // February goes to the leap year before.
        year = MonthCalendar1->selectedDate().year();
        while (year > 1 && !Is_Valid_Civil_Date(year, typed.Month, typed.Day)) {
            --year;
        }
    }
    const QDate wanted(year, typed.Month, typed.Day);
    if (!wanted.isValid() || wanted == MonthCalendar1->selectedDate()) {
        return;
    }
    moving_to_typed_date_ = true;
    MonthCalendar1->setSelectedDate(wanted);
    MonthCalendar1->setCurrentPage(wanted.year(), wanted.month());
    moving_to_typed_date_ = false;
    Check_For_Current_Month_Year_ButtonClick();
}

void TAdd_Modify_Form::Show_Date_Problem(const QString& problem) {
    Date_Problem_Label->setText(problem);
    Date_Edit->setAccessibleDescription(problem.isEmpty() && from_contact_ ? Contact_Note_Text()
                                                                           : problem);
}

void TAdd_Modify_Form::Date_EditTextEdited() {
    const Typed_Date typed = Typed_In_Field();
    if (typed.Valid) {
        Move_Calendar_To(typed);
        Show_Date_Problem(QString());
    } else if (!Date_Problem_Label->text().isEmpty()) {
        // Only a problem already shown follows the typing: a date half
        // typed is not yet wrong.
        Show_Date_Problem(typed.Problem);
    }
}

void TAdd_Modify_Form::Date_EditEditingFinished() {
    const Typed_Date typed = Typed_In_Field();
    if (typed.Valid) {
        Move_Calendar_To(typed);
        Show_Calendar_Date_In_Field();
    } else {
        Show_Date_Problem(typed.Problem);
    }
}

void TAdd_Modify_Form::Year_Not_Known_Toggled(bool checked) {
    // A date the field held rightly before is the calendar's: it is shown
    // again with or without its year. Anything else stays for the user to
    // mend.
    if (Read_Typed_Date(Date_Edit->text(), shape_, checked).Valid) {
        Show_Calendar_Date_In_Field();
        return;
    }
    const Typed_Date typed = Typed_In_Field();
    if (typed.Valid) {
        Move_Calendar_To(typed);
        Show_Calendar_Date_In_Field();
    } else {
        Show_Date_Problem(typed.Problem);
    }
}

void TAdd_Modify_Form::Report_Error(const QString& text) {
    messages_.Show(this, Message_Kind::Error, QString::fromUtf8(Program_Title), text + '.');
}

}  // namespace tessaly
