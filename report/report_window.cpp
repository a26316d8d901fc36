#include "report/report_window.h"

#include "widgets/button_keys.h"
#include "widgets/window_system.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextEdit>
#include <QWindow>

#include "core/program_identity.h"
#include "report/report_glyphs.h"
#include "report/report_rich_text.h"

namespace tessaly {

namespace {

constexpr int Client_Width = Report_Form_Design_Width;
constexpr int Client_Height = Report_Form_Design_Height;
constexpr QRect Design_Text(6, 12, 619, 365);
constexpr int Button_Top = 384;
constexpr int Button_Width = 150;
constexpr int Button_Height = 35;
constexpr int First_Button_Left = 8;
constexpr int Button_Step = 156;
constexpr int Design_Point_Size = 9;
// A window whose title strip shows less than this on every screen cannot be
// dragged back.
constexpr int Reachable_Width = 60;
constexpr int Reachable_Height = 20;

QFont Report_Font(int point_size) {
    QFont font(QString::fromLatin1(Report_Font_Family));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(point_size);
    return font;
}

QFont Button_Font() {
    // 11 points at the design's 96 dots per inch.
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(15);
    font.setBold(true);
    return font;
}

// The report is a document: it shows as it prints, black on a white page
// with its names in blue, whatever the desktop's colours. Only the roles the
// text view paints with are fixed; its scroll bars and the rest of the window
// follow the desktop. A selection is white on a blue that reads on the page.
QPalette Page_Palette() {
    QPalette page;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        page.setColor(group, QPalette::Base, Qt::white);
        page.setColor(group, QPalette::Text, Qt::black);
        page.setColor(group, QPalette::Highlight, QColor(0, 90, 190));
        page.setColor(group, QPalette::HighlightedText, Qt::white);
    }
    page.setColor(QPalette::Disabled, QPalette::Base, Qt::white);
    page.setColor(QPalette::Disabled, QPalette::Text, QColor(110, 110, 110));
    page.setColor(QPalette::Disabled, QPalette::Highlight, QColor(110, 110, 110));
    page.setColor(QPalette::Disabled, QPalette::HighlightedText, Qt::white);
    return page;
}

QPushButton* Make_Button(QWidget* parent, const char* caption, const char* hint,
                         Report_Glyph glyph) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setToolTip(QString::fromUtf8(hint));
    button->setFont(Button_Font());
    button->setIcon(Make_Report_Glyph(glyph));
    button->setIconSize(QSize(Report_Glyph_Size, Report_Glyph_Size));
    return button;
}

}  // namespace

QString Report_Print_Job_Title() {
    return QStringLiteral("Report produced by : ") +
           QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

QString No_Printer_Message() {
    return Message_Text(
        "Error: No printer is installed, so the report cannot be printed.\r\n\r\nAdd a "
        "printer in Windows' settings (Printers & scanners), then print again.");
}

TBirthday_And_Date_Report_Form::TBirthday_And_Date_Report_Form(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint),
      PrinterSetupDialog1(std::make_unique<Print_Dialog_Setup>()),
      positions_known_(!Compositor_Places_Windows(QGuiApplication::platformName())) {
    setMinimumSize(Client_Width, Client_Height);
    resize(Client_Width, Client_Height);
    // Resized from the frame; a grip would sit on the last button.
    setSizeGripEnabled(false);
    QFont face(QStringLiteral("MS Sans Serif"));
    face.setPixelSize(11);
    setFont(face);

    // Created in tab order, which the focus chain then follows.
    Print_BitBtn = Make_Button(this, "&Print Report", "Print the report", Report_Glyph::Printer);
    Clipboard_BitBtn = Make_Button(this, "&Copy Clipboard", "Copy to Window's Clipboard.",
                                   Report_Glyph::Clipboard);
    Close_Window_BitBtn =
        Make_Button(this, "C&lose Report", "Close this report window", Report_Glyph::Events_List);

    Results_RichEdit = new QTextEdit(this);
    Results_RichEdit->setFont(Report_Font(Design_Point_Size));
    Results_RichEdit->setPalette(Page_Palette());
    Results_RichEdit->setReadOnly(true);
    // Read-only still lets the keyboard move and select, as the mouse can.
    Results_RichEdit->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                              Qt::TextSelectableByKeyboard);
    Results_RichEdit->setFocusPolicy(Qt::StrongFocus);
    Results_RichEdit->setLineWrapMode(QTextEdit::NoWrap);
    Results_RichEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Results_RichEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Results_RichEdit->setUndoRedoEnabled(false);
    Results_RichEdit->setAccessibleName(QStringLiteral("Coming Birthdays and Events"));

    Exit_Program_BitBtn =
        Make_Button(this, "E&xit Program", "Exit this program", Report_Glyph::Exit_Door);

    Exit_Program_Requested_CheckBox = new QCheckBox(this);
    Exit_Program_Requested_CheckBox->setFocusPolicy(Qt::NoFocus);
    Exit_Program_Requested_CheckBox->hide();

    setTabOrder(Print_BitBtn, Clipboard_BitBtn);
    setTabOrder(Clipboard_BitBtn, Close_Window_BitBtn);
    setTabOrder(Close_Window_BitBtn, Results_RichEdit);
    setTabOrder(Results_RichEdit, Exit_Program_BitBtn);

    connect(Clipboard_BitBtn, &QPushButton::clicked, this, [this] { Clipboard_BitBtnClick(); });
    connect(Print_BitBtn, &QPushButton::clicked, this, [this] { Print_BitBtnClick(); });
    connect(Close_Window_BitBtn, &QPushButton::clicked, this,
            [this] { Close_Window_BitBtnClick(); });
    connect(Exit_Program_BitBtn, &QPushButton::clicked, this,
            [this] { Exit_Program_BitBtnClick(); });

    // Key preview: the window sees Escape before whichever control has the
    // focus, the text included.
    for (QWidget* child : findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }

    Enter_Presses_Focused_Button(*this);

    // An explicit position also keeps the dialog from centring itself.
    Set_Position(Report_Form_Default_Top, Report_Form_Default_Left);
    Set_Window_Size(Client_Width, Client_Height);
}

TBirthday_And_Date_Report_Form::~TBirthday_And_Date_Report_Form() = default;

void TBirthday_And_Date_Report_Form::Set_Report(const Report_Document& document) {
    Results_RichEdit->clear();
    Results_RichEdit->setFont(Report_Font(Report_Default_Point_Size));
    Render_Report_Document(document, *Results_RichEdit->document());
    Results_RichEdit->moveCursor(QTextCursor::Start);
}

bool TBirthday_And_Date_Report_Form::Exit_Program_Requested() const {
    return Exit_Program_Requested_CheckBox->isChecked();
}

void TBirthday_And_Date_Report_Form::Set_Position(int top, int left) {
    stored_top_ = top;
    stored_left_ = left;
    move(left, top);
}

// Where the platform cannot tell, the place the user last chose stays.
int TBirthday_And_Date_Report_Form::Top() const {
    return positions_known_ ? pos().y() : stored_top_;
}

int TBirthday_And_Date_Report_Form::Left() const {
    return positions_known_ ? pos().x() : stored_left_;
}

void TBirthday_And_Date_Report_Form::Set_Window_Size(int width, int height) {
    stored_size_ = QSize(width, height);
    // A size read from the settings is the size to come back to.
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
    Fit_Onto_Screen();
}

int TBirthday_And_Date_Report_Form::Window_Width() const {
    return Restored_Size() == fitted_size_ ? stored_size_.width() : Restored_Size().width();
}

int TBirthday_And_Date_Report_Form::Window_Height() const {
    return Restored_Size() == fitted_size_ ? stored_size_.height() : Restored_Size().height();
}

QSize TBirthday_And_Date_Report_Form::Restored_Size() const {
    return isMaximized() || isFullScreen() ? normalGeometry().size() : size();
}

void TBirthday_And_Date_Report_Form::Fit_Onto_Screen() {
    QSize fitted = stored_size_.expandedTo(minimumSize());
    const QScreen* screen = QGuiApplication::screenAt(QPoint(stored_left_, stored_top_));
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen != nullptr) {
        QSize room = screen->availableGeometry().size();
        if (const QWindow* window = windowHandle()) {
            const QMargins frame = window->frameMargins();
            room -= QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
        }
        fitted = fitted.boundedTo(room).expandedTo(minimumSize());
    }
    fitted_size_ = fitted;
    if (!isMaximized() && !isFullScreen()) {
        resize(fitted);
        Lay_Out(size());  // a hidden window hears of its new size only when shown
    }
}

void TBirthday_And_Date_Report_Form::Lay_Out(QSize client) {
    // The text takes whatever the window gains; the row of buttons keeps its
    // place below the text, centred as designed.
    const QSize gained = client - QSize(Client_Width, Client_Height);
    Results_RichEdit->setGeometry(Design_Text.adjusted(0, 0, gained.width(), gained.height()));
    int left = First_Button_Left + gained.width() / 2;
    for (QPushButton* button :
         {Clipboard_BitBtn, Print_BitBtn, Close_Window_BitBtn, Exit_Program_BitBtn}) {
        button->setGeometry(left, Button_Top + gained.height(), Button_Width, Button_Height);
        left += Button_Step;
    }
}

void TBirthday_And_Date_Report_Form::Set_Print_Setup(std::unique_ptr<Print_Setup> setup) {
    PrinterSetupDialog1 = std::move(setup);
}

void TBirthday_And_Date_Report_Form::Set_Messages(Message_Boxes& messages) {
    messages_ = &messages;
}

void TBirthday_And_Date_Report_Form::setVisible(bool visible) {
    if (visible && !isVisible()) {
        // Cleared here as well as on activation: a window that is shown but
        // never activated must not carry an earlier showing's request.
        Exit_Program_Requested_CheckBox->setChecked(false);
        Keep_Within_Reach();
        // The screens known now, not those of start-up, decide the room.
        if (Restored_Size() == fitted_size_) {
            Fit_Onto_Screen();
        }
    }
    QDialog::setVisible(visible);
    if (visible) {
        // The report is what the window is for: a screen reader starts
        // reading it, and the arrows scroll it. The tab order stays.
        Results_RichEdit->setFocus(Qt::OtherFocusReason);
    }
}

void TBirthday_And_Date_Report_Form::Keep_Within_Reach() {
    if (!positions_known_) {
        return;  // the compositor places the window where it can be reached
    }
    const QRect title_strip(pos(), QSize(width(), Reachable_Height));
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect visible = screen->availableGeometry().intersected(title_strip);
        if (visible.width() >= Reachable_Width && visible.height() >= Reachable_Height) {
            return;
        }
    }
    if (!QGuiApplication::screens().isEmpty()) {
        Set_Position(Report_Form_Default_Top, Report_Form_Default_Left);
    }
}

void TBirthday_And_Date_Report_Form::FormActivate() {
    // Activation arrives asynchronously: one that comes in after "Exit
    // Program" has already closed the window must not withdraw the request.
    if (isVisible()) {
        Exit_Program_Requested_CheckBox->setChecked(false);
    }
}

bool TBirthday_And_Date_Report_Form::FormKeyDown(int key) {
    if (key == Qt::Key_Escape) {
        Close_Window_BitBtnClick();
        return true;
    }
    return false;
}

void TBirthday_And_Date_Report_Form::Clipboard_BitBtnClick() {
    // The view stays where the user scrolled it.
    const int across = Results_RichEdit->horizontalScrollBar()->value();
    const int down = Results_RichEdit->verticalScrollBar()->value();
    Results_RichEdit->selectAll();
    Results_RichEdit->copy();
    QTextCursor cursor = Results_RichEdit->textCursor();
    cursor.movePosition(QTextCursor::Start);
    Results_RichEdit->setTextCursor(cursor);
    Results_RichEdit->horizontalScrollBar()->setValue(across);
    Results_RichEdit->verticalScrollBar()->setValue(down);
}

void TBirthday_And_Date_Report_Form::Print_BitBtnClick() {
    if (!PrinterSetupDialog1) {
        return;
    }
    if (!printer_) {
        printer_ = Make_Report_Printer(*PrinterSetupDialog1, this);
        if (!printer_) {
            return;
        }
    }
    if (!PrinterSetupDialog1->Can_Print()) {
        messages_->Show(this, Message_Kind::Error, QString::fromUtf8(Program_Title),
                        No_Printer_Message());
        return;
    }
    printer_->Print(*Results_RichEdit->document(), Report_Print_Job_Title(), *PrinterSetupDialog1,
                    this);
}

void TBirthday_And_Date_Report_Form::Close_Window_BitBtnClick() {
    close();
}

void TBirthday_And_Date_Report_Form::Exit_Program_BitBtnClick() {
    Exit_Program_Requested_CheckBox->setChecked(true);
    close();
}

void TBirthday_And_Date_Report_Form::resizeEvent(QResizeEvent* event) {
    Lay_Out(size());
    QDialog::resizeEvent(event);
}

void TBirthday_And_Date_Report_Form::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        FormActivate();
    }
    QDialog::changeEvent(event);
}

void TBirthday_And_Date_Report_Form::keyPressEvent(QKeyEvent* event) {
    if (FormKeyDown(event->key())) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TBirthday_And_Date_Report_Form::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && isVisible() &&
        FormKeyDown(static_cast<QKeyEvent*>(event)->key())) {
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace tessaly
