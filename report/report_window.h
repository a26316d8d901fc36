#pragma once

#include <QDialog>
#include <QString>

#include <memory>

#include "report/print_setup.h"
#include "report/report_builder.h"
#include "ui/common/message_boxes.h"

class QCheckBox;
class QPrinter;
class QPushButton;
class QTextEdit;

namespace tessaly {

inline constexpr int Report_Form_Default_Top = 20;
inline constexpr int Report_Form_Default_Left = 20;
// The inside of the window as designed, and the least it shrinks to.
inline constexpr int Report_Form_Design_Width = 633;
inline constexpr int Report_Form_Design_Height = 425;

// "Report produced by : " and the running executable's file name.
QString Report_Print_Job_Title();

// Shown instead of printing where there is nothing to print on.
QString No_Printer_Message();

// The window that shows the coming-events report and copies, prints or
// closes it, or asks for the program to end. One instance lives for the whole
// run; it is only ever shown modally, at its stored position and size. It
// grows, and maximises, so that a long report reads without scrolling: the
// text takes the room, the buttons stay in a row below it.
class TBirthday_And_Date_Report_Form : public QDialog {
    Q_OBJECT

public:
    explicit TBirthday_And_Date_Report_Form(QWidget* parent = nullptr);
    ~TBirthday_And_Date_Report_Form() override;

    // Replaces the content with the report, at the report's default size.
    void Set_Report(const Report_Document& document);

    // Set by "Exit Program" only; cleared whenever the window is shown or
    // becomes active. Read after the modal showing has ended.
    bool Exit_Program_Requested() const;

    // The frame's top-left corner on the desktop, as the settings store it.
    // The window is shown exactly there, unless that would leave it out of
    // reach on every screen: then at the defaults.
    void Set_Position(int top, int left);
    int Top() const;
    int Left() const;
    // The size of the window's inside, as the settings store it: at least
    // the design size, and when shown no larger than the available area of
    // its screen. Window_Width() and Window_Height() give the size the window
    // comes back to from maximised; a size cut to the screen and not changed
    // since reads back as it was set, for the screen it was meant for.
    void Set_Window_Size(int width, int height);
    int Window_Width() const;
    int Window_Height() const;
    // Whether the platform reports and honours window positions; under
    // Wayland it does not, and Top() and Left() keep what was set.
    void Set_Positions_Known(bool known) { positions_known_ = known; }

    // Replaces the printer set-up question (Qt's print dialog by default).
    void Set_Print_Setup(std::unique_ptr<Print_Setup> setup);
    // Where the window's messages go (real message boxes by default); kept,
    // not owned.
    void Set_Messages(Message_Boxes& messages);

    void setVisible(bool visible) override;

    void FormActivate();
    // Returns whether the key was handled.
    bool FormKeyDown(int key);
    void Clipboard_BitBtnClick();
    void Print_BitBtnClick();
    void Close_Window_BitBtnClick();
    void Exit_Program_BitBtnClick();

    QTextEdit* Results_RichEdit;
    QPushButton* Clipboard_BitBtn;
    QPushButton* Print_BitBtn;
    QPushButton* Close_Window_BitBtn;
    QPushButton* Exit_Program_BitBtn;
    QCheckBox* Exit_Program_Requested_CheckBox;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Keep_Within_Reach();
    void Fit_Onto_Screen();
    QSize Restored_Size() const;
    void Lay_Out(QSize client);

    std::unique_ptr<Print_Setup> PrinterSetupDialog1;
    Qt_Message_Boxes own_messages_;
    Message_Boxes* messages_ = &own_messages_;
    // Kept across prints, so the chosen printer stays chosen.
    std::unique_ptr<Report_Printer> printer_;
    bool positions_known_;
    int stored_top_ = 0;
    int stored_left_ = 0;
    QSize stored_size_;
    // The size the window was given for stored_size_.
    QSize fitted_size_;
};

}  // namespace tessaly
