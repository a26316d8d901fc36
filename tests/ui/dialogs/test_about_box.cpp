#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "desktop/fake/fake_link_opener.h"
#include "desktop/fake/fake_memory_status.h"
#include "test_support/accessibility.h"
#include "test_support/wait_until.h"
#include "test_support/wine.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/about_pictures.h"

namespace tessaly {
namespace {

const QStringList Quotes{
    QStringLiteral("I hope this program makes your work a little simpler, your play a little "
                   "better, or your day a bit easier."),
    QStringLiteral("If you have any comments, suggestions, improvements, or feedback, please "
                   "email me."),
    QStringLiteral("Useful software needn't take up Gigabytes of disk space, and my catalog of "
                   "software proves this."),
    QStringLiteral("Please support my efforts with a PayPal donation.")};

const std::string Web = "https://tessaly.example.org";
const std::string Donation = "https://tessaly.example.org/donate";
const std::string Mail = "mailto:harrow@example.org?subject=Shareware: tessaly";

class About_Box_Test : public ::testing::Test {
protected:
    About_Box_Test() { memory.Figures = Memory_Figures{1000, 250, 1000, 500}; }

    bool Running() const {
        return box.Quote_Change_Timer->isActive() || box.Free_Resources_Timer->isActive() ||
               box.Harrow_Logo_GIFImage->Is_Animating();
    }

    bool All_Running() const {
        return box.Quote_Change_Timer->isActive() && box.Free_Resources_Timer->isActive() &&
               box.Harrow_Logo_GIFImage->Is_Animating();
    }

    void Show() {
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    }

    Fake_Link_Opener links;
    Fake_Memory_Status memory;
    TAboutBox box{links, memory, "/opt/tessaly/bin/tessaly"};
};

TEST_F(About_Box_Test, IsAFixedSizeDialogWithoutCloseBoxAndOkAsDefault) {
    EXPECT_EQ(box.size(), QSize(622, 411));
    EXPECT_EQ(box.minimumSize(), box.maximumSize());
    const Qt::WindowFlags flags = box.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinMaxButtonsHint));
    EXPECT_TRUE(box.OKButton->isDefault());
    EXPECT_EQ(box.OKButton->text(), QStringLiteral("&OK"));
    EXPECT_TRUE(box.OKButton->font().bold());
    EXPECT_FALSE(box.OKButton->icon().isNull());
}

TEST_F(About_Box_Test, IdentityTextsCarryTheGivenYearInFourDigits) {
    box.setToolTip(QStringLiteral("left from before"));
    Write_About_Identity(box, 2031);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About Tessaly v1.0f ..."));
    EXPECT_EQ(box.toolTip(), QString());
    EXPECT_EQ(box.Product_Name_Label->text(), QStringLiteral("Tessaly v1.0f"));
    EXPECT_EQ(box.Author_and_Date_Label->text(), QStringLiteral("Harrow Software, September 2007"));
    EXPECT_EQ(box.Developed_Using_Label->text(), QStringLiteral("Developed using C++20 and Qt 6"));
    EXPECT_EQ(box.Copyright_Label->text(), QStringLiteral("Copyright (c) 2007-2031"));
    EXPECT_EQ(box.Software_Status_Label->text(),
              QStringLiteral("Freeware: free to use and to share"));
    EXPECT_EQ(box.Comments_Label->text(), QStringLiteral("Comments and suggestions :"));
    EXPECT_EQ(box.WEB_Page_Label->text(), QStringLiteral("Visit my web page :"));
    EXPECT_EQ(box.PayPal_WEB_Address_Label->text(), QString::fromStdString(Donation));
    EXPECT_EQ(box.Email_Button->text(), QStringLiteral("harrow@example.org"));
    EXPECT_EQ(box.WEB_Button->text(), QString::fromStdString(Web));
    EXPECT_EQ(box.PayPal_Donations_Label->text(),
              QStringLiteral("Please support my efforts and encourage me to keep developing "
                             "useful software by making a PayPal donation."));
    EXPECT_EQ(box.Australian_Made_Label->text(), QStringLiteral("Australian Made Software"));
    EXPECT_EQ(box.Label3->text(), QStringLiteral("Free System Resources :"));

    Write_About_Identity(box, 987);
    EXPECT_EQ(box.Copyright_Label->text(), QStringLiteral("Copyright (c) 2007-0987"));
}

TEST_F(About_Box_Test, TimersAndAnimationRunOnlyWhileShownHoweverItCloses) {
    EXPECT_FALSE(Running());
    EXPECT_EQ(box.Quote_Change_Timer->interval(), 10000);
    EXPECT_EQ(box.Free_Resources_Timer->interval(), 500);

    struct Closing {
        const char* How;
        std::function<void()> Close;
        bool As_Ok;
    };
    const std::vector<Closing> closings{
        {"OK clicked", [this] { QTest::mouseClick(box.OKButton, Qt::LeftButton); }, true},
        {"Esc on OK", [this] { QTest::keyClick(box.OKButton, Qt::Key_Escape); }, true},
        {"Esc on the form", [this] { QTest::keyClick(&box, Qt::Key_Escape); }, true},
        {"Enter", [this] { QTest::keyClick(&box, Qt::Key_Return); }, true},
        {"reject", [this] { box.reject(); }, false},
        {"close", [this] { box.close(); }, false},
        {"hide", [this] { box.hide(); }, false}};
    for (const Closing& closing : closings) {
        box.setResult(-1);
        Show();
        EXPECT_TRUE(All_Running()) << closing.How;
        closing.Close();
        EXPECT_FALSE(box.isVisible()) << closing.How;
        EXPECT_FALSE(Running()) << closing.How;
        if (closing.As_Ok) {
            EXPECT_EQ(box.result(), QDialog::Accepted) << closing.How;
        }
    }
}

TEST_F(About_Box_Test, ShowingGivesAQuoteAndTheFreeMemoryAtOnce) {
    Show();
    EXPECT_TRUE(Quotes.contains(box.Quote_From_Harrow_Label->text()));
    EXPECT_EQ(box.Free_Resources_Label->text(), QStringLiteral("38%"));
    // The half-second timer keeps the figure up to date.
    memory.Figures = Memory_Figures{4000, 1000, 0, 0};
    TESSALY_WAIT_UNTIL_EQ(box.Free_Resources_Label->text(), QStringLiteral("25%"));
    box.OKButtonClick();
}

TEST_F(About_Box_Test, EveryQuoteTickShowsOneOfTheQuotesAndTheyVary) {
    ASSERT_EQ(box.Quotes_From_Harrow_ListBox->count(), Quotes.size());
    for (int row = 0; row < Quotes.size(); ++row) {
        EXPECT_EQ(box.Quotes_From_Harrow_ListBox->item(row)->text(), Quotes[row]);
    }
    QSet<QString> seen;
    for (int tick = 0; tick < 200; ++tick) {
        box.Quote_Change_TimerTimer();
        const QString shown = box.Quote_From_Harrow_Label->text();
        ASSERT_TRUE(Quotes.contains(shown)) << shown.toStdString();
        seen.insert(shown);
    }
    // Two hundred draws from four miss one only once in about 10^24 runs.
    EXPECT_EQ(seen.size(), Quotes.size());
}

TEST_F(About_Box_Test, FreeResourcesShowsAWholePercentageOrNotApplicable) {
    const std::vector<std::pair<std::optional<Memory_Figures>, QString>> cases{
        {Memory_Figures{1000, 250, 1000, 500}, QStringLiteral("38%")},
        {Memory_Figures{3, 1, 0, 0}, QStringLiteral("33%")},
        {Memory_Figures{8000, 8000, 0, 0}, QStringLiteral("100%")},
        {Memory_Figures{}, QStringLiteral("n/a")},
        {std::nullopt, QStringLiteral("n/a")}};
    for (const auto& [figures, expected] : cases) {
        memory.Figures = figures;
        box.Free_Resources_TimerTimer();
        EXPECT_EQ(box.Free_Resources_Label->text(), expected);
    }
}

TEST_F(About_Box_Test, EveryLinkOpensItsExactTargetOnce) {
    Write_About_Identity(box, 2024);
    Show();
    QTest::mouseClick(box.Email_Address_Label, Qt::LeftButton);
    for (QWidget* web : {static_cast<QWidget*>(box.WEB_Address_Label),
                         static_cast<QWidget*>(box.Harrow_Logo_Banner_Image),
                         static_cast<QWidget*>(box.Harrow_Logo_GIFImage),
                         static_cast<QWidget*>(box.Australian_Made_Logo),
                         static_cast<QWidget*>(box.Australian_Made_Label)}) {
        QTest::mouseClick(web, Qt::LeftButton);
    }
    QTest::mouseClick(box.PayPal_Donations_Label, Qt::LeftButton);
    QTest::mouseClick(box.PayPal_Image, Qt::LeftButton);
    // Clicks elsewhere and with the other button open nothing.
    QTest::mouseClick(box.Product_Name_Label, Qt::LeftButton);
    QTest::mouseClick(box.WEB_Address_Label, Qt::RightButton);
    const std::vector<std::string> expected{Mail, Web, Web, Web, Web, Web, Donation, Donation};
    EXPECT_EQ(links.Opened_Links, expected);
    EXPECT_TRUE(box.isVisible());
    box.OKButtonClick();
}

// Without a mouse: Tab reaches each link, Enter or Space opens it, and a
// screen reader reads it as a link by its text.
TEST_F(About_Box_Test, LinksTakeTheFocusAndOpenWithEnterOrSpace) {
    Write_About_Identity(box, 2024);
    Show();
    std::vector<QWidget*> stops;
    QWidget* widget = box.OKButton;
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget->isVisible()) {
            stops.push_back(widget);
        }
        widget = widget->nextInFocusChain();
    } while (widget != box.OKButton);
    for (QLabel* link :
         {box.Email_Address_Label, box.WEB_Address_Label, box.PayPal_Donations_Label}) {
        EXPECT_NE(std::find(stops.begin(), stops.end(), link), stops.end());
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(link);
        EXPECT_EQ(reader->role(), QAccessible::Link);
        EXPECT_EQ(reader->text(QAccessible::Name), link->text());
        EXPECT_TRUE(reader->state().focusable);
    }
    QTest::keyClick(box.Email_Address_Label, Qt::Key_Return);
    QTest::keyClick(box.WEB_Address_Label, Qt::Key_Space);
    QTest::keyClick(box.PayPal_Donations_Label, Qt::Key_Enter);
    const std::vector<std::string> expected{Mail, Web, Donation};
    EXPECT_EQ(links.Opened_Links, expected);
    // Enter on a link opens it and leaves the box open.
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(test::Unnamed_Interactive(&box), QStringList());
    box.OKButtonClick();
}

TEST_F(About_Box_Test, MailSubjectNamesTheExecutableFileOnly) {
    TAboutBox windows_box{links, memory, "C:/Program Files/Tessaly/tessaly.exe"};
    Write_About_Identity(windows_box, 2024);
    windows_box.Email_ButtonClick();
    ASSERT_EQ(links.Opened_Links.size(), 1u);
    EXPECT_EQ(links.Opened_Links[0], "mailto:harrow@example.org?subject=Shareware: tessaly.exe");

    TAboutBox renamed_box{links, memory, "/opt/Tools/tessaly & co #2 100%.exe"};
    Write_About_Identity(renamed_box, 2024);
    renamed_box.Email_ButtonClick();
    ASSERT_EQ(links.Opened_Links.size(), 2u);
    EXPECT_EQ(
        links.Opened_Links[1],
        "mailto:harrow@example.org?subject=Shareware: tessaly%20%26%20co%20%232%20100%25.exe");
}

TEST_F(About_Box_Test, EmptyTargetsOpenNothingAndFailuresSayNothing) {
    box.Email_ButtonClick();
    box.WEB_ButtonClick();
    box.PayPal_Donations_LabelClick();
    box.PayPal_ImageClick();
    EXPECT_TRUE(links.Opened_Links.empty());

    Write_About_Identity(box, 2024);
    links.Handler_Found = false;
    Show();
    QTest::mouseClick(box.Email_Address_Label, Qt::LeftButton);
    QTest::mouseClick(box.PayPal_Image, Qt::LeftButton);
    EXPECT_TRUE(links.Opened_Links.empty());
    for (QWidget* window : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(window->isVisible() && qobject_cast<QMessageBox*>(window) != nullptr);
    }
    EXPECT_TRUE(box.isVisible());
    box.OKButtonClick();
}

TEST_F(About_Box_Test, AddressesShowAsLinksInTheirHoldersPlacesWhileHoldersStayHidden) {
    Write_About_Identity(box, 2024);
    box.Email_Button->move(box.Email_Button->x(), 214);
    Show();
    EXPECT_EQ(box.Email_Address_Label->y(), 214);
    EXPECT_EQ(box.WEB_Address_Label->y(), box.WEB_Button->y());
    EXPECT_EQ(box.Email_Address_Label->text(), QStringLiteral("harrow@example.org"));
    EXPECT_EQ(box.WEB_Address_Label->text(), QString::fromStdString(Web));
    for (QWidget* holder :
         {static_cast<QWidget*>(box.Email_Button), static_cast<QWidget*>(box.WEB_Button),
          static_cast<QWidget*>(box.PayPal_WEB_Address_Label),
          static_cast<QWidget*>(box.Quotes_From_Harrow_ListBox)}) {
        EXPECT_FALSE(holder->isVisible()) << holder->metaObject()->className();
    }
    EXPECT_EQ(box.Email_Address_Label->toolTip(),
              QStringLiteral("Click to send an E-Mail to Harrow."));
    EXPECT_EQ(box.WEB_Address_Label->toolTip(),
              QStringLiteral("Click to visit Harrow's WEB Page."));
    EXPECT_EQ(box.Australian_Made_Logo->toolTip(), QStringLiteral("Hey, don't poke me there !!"));
    for (QLabel* link :
         {box.Email_Address_Label, box.WEB_Address_Label, box.PayPal_Donations_Label}) {
        EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(Qt::blue));
        EXPECT_TRUE(link->font().underline());
    }
    for (QWidget* pointed :
         {static_cast<QWidget*>(box.Email_Address_Label),
          static_cast<QWidget*>(box.WEB_Address_Label),
          static_cast<QWidget*>(box.Australian_Made_Logo),
          static_cast<QWidget*>(box.Australian_Made_Label),
          static_cast<QWidget*>(box.Harrow_Logo_GIFImage),
          static_cast<QWidget*>(box.Harrow_Logo_Banner_Image),
          static_cast<QWidget*>(box.Logo_Frame), static_cast<QWidget*>(box.Origin_Logo_Frame),
          static_cast<QWidget*>(box.PayPal_Donations_Label),
          static_cast<QWidget*>(box.PayPal_Image)}) {
        EXPECT_EQ(pointed->cursor().shape(), Qt::PointingHandCursor);
    }
    EXPECT_NE(box.OKButton->cursor().shape(), Qt::PointingHandCursor);
    box.OKButtonClick();
}

TEST_F(About_Box_Test, IsCentredOnTheScreenWhenShownAndLaidOutWithoutOverlaps) {
    Write_About_Identity(box, 2024);
    box.move(0, 0);
    Show();
    const QPoint centre = box.screen()->availableGeometry().center();
    EXPECT_LE((box.frameGeometry().center() - centre).manhattanLength(), 1);

    // The visible controls stay inside the window, apart from each other,
    // and their texts fit.
    std::vector<QWidget*> shown;
    for (QWidget* child : box.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const auto* frame = qobject_cast<QFrame*>(child);
        // The rules between the blocks run along them.
        if (child->isVisible() && !(frame != nullptr && frame->frameShape() == QFrame::HLine)) {
            shown.push_back(child);
            EXPECT_TRUE(box.rect().contains(child->geometry()));
        }
    }
    for (std::size_t i = 0; i < shown.size(); ++i) {
        for (std::size_t j = i + 1; j < shown.size(); ++j) {
            EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry()))
                << shown[i]->metaObject()->className() << " " << shown[j]->metaObject()->className()
                << " at " << shown[i]->y() << " and " << shown[j]->y();
        }
    }
    if (test::Running_Under_Wine()) {
        GTEST_SKIP() << test::Wine_Text_Metrics;
    }
    for (QLabel* line : {box.Product_Name_Label, box.Author_and_Date_Label,
                         box.Developed_Using_Label, box.Copyright_Label, box.Software_Status_Label,
                         box.Comments_Label, box.Email_Address_Label, box.WEB_Page_Label,
                         box.WEB_Address_Label, box.Label3, box.Free_Resources_Label}) {
        EXPECT_LE(line->sizeHint().width(), line->width()) << line->text().toStdString();
    }
    for (const QString& quote : Quotes) {
        box.Quote_From_Harrow_Label->setText(quote);
        const int needed = box.Quote_From_Harrow_Label->heightForWidth(181);
        EXPECT_LE(needed, 119) << quote.toStdString();
    }
    box.OKButtonClick();
}

// Not one flat colour, at twice the pixel density.
bool Has_Detail(const QImage& image) {
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != first) {
                return true;
            }
        }
    }
    return false;
}

QImage Render_At_Double_Density(QWidget* widget) {
    QImage image(widget->size() * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    widget->render(&image);
    return image;
}

TEST_F(About_Box_Test, PicturesPaintAtDoubleDensityAndTheLogoMoves) {
    for (QWidget* picture : {static_cast<QWidget*>(box.Harrow_Logo_Banner_Image),
                             static_cast<QWidget*>(box.Harrow_Logo_GIFImage),
                             static_cast<QWidget*>(box.Australian_Made_Logo),
                             static_cast<QWidget*>(box.PayPal_Image)}) {
        EXPECT_TRUE(Has_Detail(Render_At_Double_Density(picture)))
            << static_cast<Drawn_Picture*>(picture)->metaObject()->className();
    }
    box.Harrow_Logo_GIFImage->Set_Frame(0);
    const QImage at_rest = Render_At_Double_Density(box.Harrow_Logo_GIFImage);
    box.Harrow_Logo_GIFImage->Set_Frame(Calendar_Logo_Frame_Count * 3 / 4);
    EXPECT_NE(Render_At_Double_Density(box.Harrow_Logo_GIFImage), at_rest);

    Show();
    TESSALY_WAIT_UNTIL(box.Harrow_Logo_GIFImage->Frame() != 0);
    box.OKButtonClick();
    EXPECT_FALSE(box.Harrow_Logo_GIFImage->Is_Animating());
}

}  // namespace
}  // namespace tessaly
