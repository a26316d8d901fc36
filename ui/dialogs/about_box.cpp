#include "ui/dialogs/about_box.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <chrono>

#include "core/program_identity.h"
#include "desktop/link_opener.h"
#include "desktop/memory_status.h"
#include "ui/dialogs/about_pictures.h"
#include "ui/dialogs/dialog_glyphs.h"
#include "ui/dialogs/keyboard_link.h"
#include "widgets/readable_foreground.h"

namespace tessaly {

namespace {

constexpr int Client_Width = 622;
constexpr int Client_Height = 411;
// The text block, the links and the lower block share the right column.
constexpr int Column_Left = 200;
constexpr int Column_Width = Client_Width - 5 - Column_Left;
constexpr int Caption_Width = 170;
constexpr int Address_Left = Column_Left + Caption_Width + 6;
constexpr int Address_Width = Client_Width - 5 - Address_Left;
constexpr int Frame_Line = 2;

const QColor Link_Blue(0, 0, 255);

QFont Box_Font(int pixels, bool bold = false) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QLabel* Make_Label(QWidget* parent, const QRect& geometry, Qt::Alignment alignment,
                   const QFont& font, QLabel* label = nullptr) {
    if (label == nullptr) {
        label = new QLabel(parent);
    }
    label->setGeometry(geometry);
    label->setAlignment(alignment);
    label->setFont(font);
    return label;
}

void Make_Link_Look(QLabel* label, bool bold) {
    QFont font = label->font();
    font.setUnderline(true);
    font.setBold(bold);
    label->setFont(font);
    Keep_Readable_Foreground(*label, Link_Blue);
}

// A raised frame that fits snugly round a picture of the given size.
QFrame* Make_Raised_Frame(QWidget* parent, QPoint at, QSize inside) {
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    frame->setLineWidth(Frame_Line);
    frame->setGeometry(QRect(at, inside + QSize(2 * Frame_Line, 2 * Frame_Line)));
    return frame;
}

QString File_Name_Of(const std::filesystem::path& path) {
    return QString::fromStdU16String(path.filename().u16string());
}

}  // namespace

TAboutBox::TAboutBox(Link_Opener& links, Memory_Status& memory,
                     std::filesystem::path executable_path, QWidget* parent)
    : QDialog(parent),
      links_(links),
      memory_(memory),
      executable_path_(std::move(executable_path)) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Client_Width, Client_Height);
    setSizeGripEnabled(false);
    setFont(Box_Font(13));

    Harrow_Logo_Banner_Image = new Drawn_Picture(About_Picture::Banner, this);
    Harrow_Logo_Banner_Image->setGeometry(5, 5, 611, 67);

    Logo_Frame = Make_Raised_Frame(this, QPoint(7, 80), QSize(173, 165));
    Harrow_Logo_GIFImage = new Animated_Logo(Logo_Frame);
    Harrow_Logo_GIFImage->setGeometry(Frame_Line, Frame_Line, 173, 165);

    Quote_From_Harrow_Label =
        Make_Label(this, QRect(5, 255, 181, 119), Qt::AlignCenter, Box_Font(14, true));
    Quote_From_Harrow_Label->setWordWrap(true);
    Quote_From_Harrow_Label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    Quote_From_Harrow_Label->setMargin(6);
    {
        QFont italic = Quote_From_Harrow_Label->font();
        italic.setItalic(true);
        Quote_From_Harrow_Label->setFont(italic);
        Keep_Readable_Foreground(*Quote_From_Harrow_Label, QColor(20, 70, 110));
    }
    Quotes_From_Harrow_ListBox = new QListWidget(this);
    Quotes_From_Harrow_ListBox->addItems(
        {QStringLiteral("I hope this program makes your work a little simpler, your play a little "
                        "better, or your day a bit easier."),
         QStringLiteral("If you have any comments, suggestions, improvements, or feedback, please "
                        "email me."),
         QStringLiteral("Useful software needn't take up Gigabytes of disk space, and my catalog "
                        "of software proves this."),
         QStringLiteral("Please support my efforts with a PayPal donation.")});
    Quotes_From_Harrow_ListBox->setVisible(false);

    Label3 = Make_Label(this, QRect(5, 380, 150, 18), Qt::AlignLeft | Qt::AlignVCenter, font());
    Label3->setText(QStringLiteral("Free System Resources :"));
    Free_Resources_Label =
        Make_Label(this, QRect(157, 380, 40, 18), Qt::AlignLeft | Qt::AlignVCenter, font());

    Build_Text_Block();
    Build_Links();
    Build_Lower_Block();

    OKButton = new QPushButton(QStringLiteral("&OK"), this);
    OKButton->setGeometry(Client_Width - 5 - 97, 372, 97, 33);
    OKButton->setFont(Box_Font(14, true));
    OKButton->setIcon(Make_Dialog_Glyph(Dialog_Glyph::Tick));
    const int glyph = Dialog_Glyph_Size(Dialog_Glyph::Tick);
    OKButton->setIconSize(QSize(glyph, glyph));
    OKButton->setDefault(true);
    OKButton->setFocus();

    Quote_Change_Timer = new QTimer(this);
    Quote_Change_Timer->setInterval(Quote_Change_Interval);
    Free_Resources_Timer = new QTimer(this);
    Free_Resources_Timer->setInterval(Free_Resources_Interval);

    connect(Quote_Change_Timer, &QTimer::timeout, this, &TAboutBox::Quote_Change_TimerTimer);
    connect(Free_Resources_Timer, &QTimer::timeout, this, &TAboutBox::Free_Resources_TimerTimer);
    connect(OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
    connect(Email_Button, &QPushButton::clicked, this, &TAboutBox::Email_ButtonClick);
    connect(WEB_Button, &QPushButton::clicked, this, &TAboutBox::WEB_ButtonClick);

    On_Click(Email_Address_Label, &TAboutBox::Email_ButtonClick);
    for (QWidget* web :
         {static_cast<QWidget*>(WEB_Address_Label), static_cast<QWidget*>(Harrow_Logo_Banner_Image),
          static_cast<QWidget*>(Harrow_Logo_GIFImage), static_cast<QWidget*>(Australian_Made_Logo),
          static_cast<QWidget*>(Australian_Made_Label)}) {
        On_Click(web, &TAboutBox::WEB_ButtonClick);
    }
    On_Click(PayPal_Donations_Label, &TAboutBox::PayPal_Donations_LabelClick);
    static_cast<Keyboard_Link*>(Email_Address_Label)->Set_Open([this] { Email_ButtonClick(); });
    static_cast<Keyboard_Link*>(WEB_Address_Label)->Set_Open([this] { WEB_ButtonClick(); });
    static_cast<Keyboard_Link*>(PayPal_Donations_Label)->Set_Open([this] {
        PayPal_Donations_LabelClick();
    });
    On_Click(PayPal_Image, &TAboutBox::PayPal_ImageClick);

    FormCreate();
}

void TAboutBox::Build_Text_Block() {
    const auto line = [this](int top, int height, const QFont& font) {
        return Make_Label(this, QRect(Column_Left, top, Column_Width, height),
                          Qt::AlignLeft | Qt::AlignVCenter, font);
    };
    Product_Name_Label = line(80, 28, Box_Font(22, true));
    Author_and_Date_Label = line(110, 20, Box_Font(14, true));
    Developed_Using_Label = line(134, 18, font());
    Copyright_Label = line(153, 18, font());
    Software_Status_Label = line(172, 18, font());

    auto* rule = new QFrame(this);
    rule->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    rule->setGeometry(Column_Left, 197, Column_Width, 2);
}

void TAboutBox::Build_Links() {
    const auto caption = [this](int top) {
        return Make_Label(this, QRect(Column_Left, top, Caption_Width, 20),
                          Qt::AlignRight | Qt::AlignVCenter, font());
    };
    // The holders keep the addresses; the labels take their places and
    // captions on showing.
    const auto holder = [this](int top) {
        auto* button = new QPushButton(this);
        button->setGeometry(Address_Left, top, Address_Width, 20);
        button->setAutoDefault(false);
        button->setVisible(false);
        return button;
    };
    const auto address = [this](int top) {
        QLabel* label =
            Make_Label(this, QRect(Address_Left, top, Address_Width, 20),
                       Qt::AlignLeft | Qt::AlignVCenter, font(), new Keyboard_Link(this));
        Make_Link_Look(label, true);
        return label;
    };
    Comments_Label = caption(207);
    Email_Button = holder(207);
    Email_Address_Label = address(207);
    WEB_Page_Label = caption(230);
    WEB_Button = holder(230);
    WEB_Address_Label = address(230);

    auto* rule = new QFrame(this);
    rule->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    rule->setGeometry(Column_Left, 259, Column_Width, 2);
}

void TAboutBox::Build_Lower_Block() {
    const QSize emblem = About_Picture_Size(About_Picture::Origin_Emblem);
    Origin_Logo_Frame = Make_Raised_Frame(this, QPoint(Column_Left, 266), emblem);
    Australian_Made_Logo = new Drawn_Picture(About_Picture::Origin_Emblem, Origin_Logo_Frame);
    Australian_Made_Logo->setGeometry(QRect(QPoint(Frame_Line, Frame_Line), emblem));
    Australian_Made_Logo->setToolTip(QStringLiteral("Hey, don't poke me there !!"));
    Australian_Made_Label = Make_Label(Australian_Made_Logo, QRect(4, 55, emblem.width() - 8, 36),
                                       Qt::AlignCenter, Box_Font(12, true));
    Australian_Made_Label->setWordWrap(true);
    Australian_Made_Label->setText(QStringLiteral("Australian Made Software"));
    QPalette white = Australian_Made_Label->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    Australian_Made_Label->setPalette(white);

    const int donation_left = Origin_Logo_Frame->geometry().right() + 1 + 16;
    const int donation_width = Client_Width - 5 - donation_left;
    PayPal_Donations_Label = Make_Label(this, QRect(donation_left, 268, donation_width, 52),
                                        Qt::AlignCenter, font(), new Keyboard_Link(this));
    PayPal_Donations_Label->setWordWrap(true);
    PayPal_Donations_Label->setText(
        QStringLiteral("Please support my efforts and encourage me to keep developing useful "
                       "software by making a PayPal donation."));
    Make_Link_Look(PayPal_Donations_Label, false);

    const QSize button = About_Picture_Size(About_Picture::Donate_Button);
    PayPal_Image = new Drawn_Picture(About_Picture::Donate_Button, this);
    PayPal_Image->setGeometry(
        QRect(QPoint(donation_left + (donation_width - button.width()) / 2, 326), button));

    PayPal_WEB_Address_Label = new QLabel(this);
    PayPal_WEB_Address_Label->setVisible(false);
}

void TAboutBox::FormCreate() {
    Seed_Random();
}

void TAboutBox::FormActivate() {
    Seed_Random();
    Quote_Change_Timer->start();
    Free_Resources_Timer->start();
    Harrow_Logo_GIFImage->Start_Animation();
    Quote_Change_TimerTimer();
    Free_Resources_TimerTimer();

    Email_Button->setVisible(false);
    WEB_Button->setVisible(false);
    Email_Address_Label->move(Email_Address_Label->x(), Email_Button->y());
    Email_Address_Label->setText(Email_Button->text());
    Email_Address_Label->setToolTip(QStringLiteral("Click to send an E-Mail to Harrow."));
    WEB_Address_Label->move(WEB_Address_Label->x(), WEB_Button->y());
    WEB_Address_Label->setText(WEB_Button->text());
    WEB_Address_Label->setToolTip(QStringLiteral("Click to visit Harrow's WEB Page."));

    for (QWidget* pointed :
         {static_cast<QWidget*>(Email_Address_Label), static_cast<QWidget*>(WEB_Address_Label),
          static_cast<QWidget*>(Australian_Made_Logo), static_cast<QWidget*>(Australian_Made_Label),
          static_cast<QWidget*>(Harrow_Logo_GIFImage),
          static_cast<QWidget*>(Harrow_Logo_Banner_Image), static_cast<QWidget*>(Logo_Frame),
          static_cast<QWidget*>(Origin_Logo_Frame), static_cast<QWidget*>(PayPal_Donations_Label),
          static_cast<QWidget*>(PayPal_Image)}) {
        pointed->setCursor(Qt::PointingHandCursor);
    }
}

void TAboutBox::Quote_Change_TimerTimer() {
    const int count = Quotes_From_Harrow_ListBox->count();
    if (count == 0) {
        return;
    }
    std::uniform_int_distribution<int> pick(0, count - 1);
    Quote_From_Harrow_Label->setText(Quotes_From_Harrow_ListBox->item(pick(random_))->text());
}

void TAboutBox::Free_Resources_TimerTimer() {
    const auto figures = memory_.Read();
    const auto percentage = figures ? Free_Memory_Percentage(*figures) : std::nullopt;
    Free_Resources_Label->setText(percentage ? QString::fromStdString(*percentage)
                                             : QString::fromUtf8(Unknown_Free_Resources));
}

void TAboutBox::Email_ButtonClick() {
    const QString address = Email_Button->text();
    // Without an address there is no one to write to.
    if (address.isEmpty()) {
        return;
    }
    // A renamed program file may hold "&", "#" or "%", which would end or
    // garble the subject; encoded, the mail program shows the name as it is.
    Open_Target(QStringLiteral("mailto:") + address + QStringLiteral("?subject=Shareware: ") +
                QString::fromLatin1(QUrl::toPercentEncoding(File_Name_Of(executable_path_))));
}

void TAboutBox::WEB_ButtonClick() {
    Open_Target(WEB_Button->text());
}

void TAboutBox::PayPal_Donations_LabelClick() {
    Open_Target(PayPal_WEB_Address_Label->text());
}

void TAboutBox::PayPal_ImageClick() {
    Open_Target(PayPal_WEB_Address_Label->text());
}

void TAboutBox::OKButtonClick() {
    Stop_Activity();
    accept();
}

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the screen, not over the main window as dialogs otherwise are.
    if (QScreen* shown_on = screen()) {
        QRect placed = frameGeometry();
        placed.moveCenter(shown_on->availableGeometry().center());
        move(placed.topLeft());
    }
    FormActivate();
}

void TAboutBox::hideEvent(QHideEvent* event) {
    // However the box closes, nothing keeps ticking behind it.
    Stop_Activity();
    QDialog::hideEvent(event);
}

void TAboutBox::keyPressEvent(QKeyEvent* event) {
    // No control of the box takes Esc, so it always reaches the form.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        OKButtonClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        for (const auto& [widget, handler] : click_handlers_) {
            if (widget == watched && mouse->button() == Qt::LeftButton &&
                widget->rect().contains(mouse->position().toPoint())) {
                (this->*handler)();
                // Handled here, so the picture under a label does not act too.
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::On_Click(QWidget* widget, Handler handler) {
    click_handlers_.emplace_back(widget, handler);
    widget->installEventFilter(this);
}

void TAboutBox::Open_Target(const QString& target) {
    if (!target.isEmpty()) {
        // A link nothing takes is not worth a message.
        links_.Open_Link(target.toStdString());
    }
}

void TAboutBox::Stop_Activity() {
    Quote_Change_Timer->stop();
    Free_Resources_Timer->stop();
    Harrow_Logo_GIFImage->Stop_Animation();
}

void TAboutBox::Seed_Random() {
    random_.seed(static_cast<std::mt19937::result_type>(
        std::chrono::system_clock::now().time_since_epoch().count()));
}

void Write_About_Identity(TAboutBox& box, int current_year) {
    const QString title = QString::fromUtf8(Program_Title);
    box.setWindowTitle(QStringLiteral("About ") + title + QStringLiteral(" ..."));
    box.Product_Name_Label->setText(title);
    box.setToolTip(QString());
    box.Author_and_Date_Label->setText(QString::fromUtf8(Maker_Name) + QStringLiteral(", ") +
                                       QString::fromUtf8(Release_Date));
    box.Developed_Using_Label->setText(QString::fromUtf8(Developed_Using));
    box.Copyright_Label->setText(QString::fromUtf8(Copyright_Notice) +
                                 QStringLiteral("%1").arg(current_year, 4, 10, QLatin1Char('0')));
    box.Software_Status_Label->setText(QString::fromUtf8(Software_Status));
    box.Comments_Label->setText(QString::fromUtf8(Email_Link_Caption));
    box.WEB_Page_Label->setText(QString::fromUtf8(Web_Link_Caption));
    box.PayPal_WEB_Address_Label->setText(QString::fromUtf8(Donation_Address));
    box.Email_Button->setText(QString::fromUtf8(Maker_Email_Address));
    box.WEB_Button->setText(QString::fromUtf8(Maker_Web_Address));
}

}  // namespace tessaly
