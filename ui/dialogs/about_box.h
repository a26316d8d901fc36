#pragma once

#include <QDialog>
#include <QString>
#include <filesystem>
#include <random>
#include <utility>
#include <vector>

class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

namespace tessaly {

class Animated_Logo;
class Drawn_Picture;
class Link_Opener;
class Memory_Status;

// The modal About box of the Help menu. Made once at start-up and kept for
// the whole run; its timers and the logo's animation run only while it is
// shown.
class TAboutBox final : public QDialog {
    Q_OBJECT

public:
    static constexpr int Quote_Change_Interval = 10000;
    static constexpr int Free_Resources_Interval = 500;
    // Free_Resources_Label when the system gives no figures to count.
    static constexpr const char* Unknown_Free_Resources = "n/a";

    // The executable's file name goes into the e-mail's subject.
    TAboutBox(Link_Opener& links, Memory_Status& memory, std::filesystem::path executable_path,
              QWidget* parent = nullptr);

    void FormCreate();
    // On each showing: timers and animation on, a quote and the free memory
    // at once, the addresses shown as links in their holders' places.
    void FormActivate();
    void Quote_Change_TimerTimer();
    void Free_Resources_TimerTimer();
    // Links with an empty address open nothing; a link the desktop cannot
    // open fails silently.
    void Email_ButtonClick();
    void WEB_ButtonClick();
    void PayPal_Donations_LabelClick();
    void PayPal_ImageClick();
    void OKButtonClick();

    Drawn_Picture* Harrow_Logo_Banner_Image;
    QFrame* Logo_Frame;
    Animated_Logo* Harrow_Logo_GIFImage;
    QLabel* Product_Name_Label;
    QLabel* Author_and_Date_Label;
    QLabel* Developed_Using_Label;
    QLabel* Copyright_Label;
    QLabel* Software_Status_Label;
    QLabel* Comments_Label;
    QLabel* Email_Address_Label;
    QPushButton* Email_Button;
    QLabel* WEB_Page_Label;
    QLabel* WEB_Address_Label;
    QPushButton* WEB_Button;
    QLabel* Quote_From_Harrow_Label;
    QListWidget* Quotes_From_Harrow_ListBox;
    QLabel* Label3;
    QLabel* Free_Resources_Label;
    QFrame* Origin_Logo_Frame;
    Drawn_Picture* Australian_Made_Logo;
    QLabel* Australian_Made_Label;
    QLabel* PayPal_Donations_Label;
    Drawn_Picture* PayPal_Image;
    QLabel* PayPal_WEB_Address_Label;
    QPushButton* OKButton;
    QTimer* Quote_Change_Timer;
    QTimer* Free_Resources_Timer;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Handler = void (TAboutBox::*)();

    void Build_Text_Block();
    void Build_Links();
    void Build_Lower_Block();
    // A left click released on the widget runs the handler.
    void On_Click(QWidget* widget, Handler handler);
    void Open_Target(const QString& target);
    void Stop_Activity();
    void Seed_Random();

    Link_Opener& links_;
    Memory_Status& memory_;
    std::filesystem::path executable_path_;
    std::mt19937 random_;
    std::vector<std::pair<QWidget*, Handler>> click_handlers_;
};

// The start-up texts: caption, product and maker, rights notice ending with
// the year in four digits, captions, and the addresses in their holders.
void Write_About_Identity(TAboutBox& box, int current_year);

}  // namespace tessaly
