// The main window's controls and menu, built from the design's tables.
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <array>
#include <utility>

#include "core/main_settings.h"
#include "core/sorting.h"
#include "desktop/daily_notification_task.h"
#include "ui/main/auto_size_label.h"
#include "ui/main/button_glyphs.h"
#include "ui/main/main_form.h"
#include "ui/main/main_form_design.h"
#include "ui/main/radio_group.h"
#include "widgets/format_string_grid.h"
#include "widgets/window_system.h"

namespace tessaly {

namespace {

constexpr int Date_Check_Interval_Ms = 5000;
constexpr int Hide_Interval_Ms = 20;

}  // namespace

QFont Design_Font(int pixels, bool bold) {
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void TMainForm1::Create_Controls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Client"));
    // The menu bar keeps the desktop's font; everything inside the window
    // uses the design font.
    client->setFont(Design_Font(15));
    setCentralWidget(client);

    All_GroupBox = new QGroupBox(client);
    All_GroupBox->setObjectName(QStringLiteral("All_GroupBox"));
    All_GroupBox->setGeometry(4, 2, 689, 435);
    components_.push_back(All_GroupBox);

    Names_And_Events_StringGrid = new TFormatStringGrid(All_GroupBox);
    Names_And_Events_StringGrid->setObjectName(QStringLiteral("Names_And_Events_StringGrid"));
    Names_And_Events_StringGrid->setGeometry(8, 22, 673, 229);
    Names_And_Events_StringGrid->setFont(Design_Font(15));
    Names_And_Events_StringGrid->Set_Row_Count(2);
    Names_And_Events_StringGrid->setAccessibleName(QStringLiteral("Birthdays and Events"));
    components_.push_back(Names_And_Events_StringGrid);

    Sort_By_Column_RadioGroup = new Radio_Group(All_GroupBox);
    Sort_By_Column_RadioGroup->setObjectName(QStringLiteral("Sort_By_Column_RadioGroup"));
    Sort_By_Column_RadioGroup->setGeometry(8, 252, 673, 41);
    Sort_By_Column_RadioGroup->setTitle(QStringLiteral(" Sort Data &By : "));
    // A group inside a group would read the outer one's title, the status
    // line, as its name.
    Sort_By_Column_RadioGroup->setAccessibleName(QStringLiteral("Sort Data By"));
    components_.push_back(Sort_By_Column_RadioGroup);

    Label1 = new Auto_Size_Label(
        QStringLiteral("Report contains all events occuring within the &next "), All_GroupBox);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(32, 300, 299, 17);
    components_.push_back(Label1);

    Days_Threshold_SpinEdit = new QSpinBox(All_GroupBox);
    Days_Threshold_SpinEdit->setObjectName(QStringLiteral("Days_Threshold_SpinEdit"));
    Days_Threshold_SpinEdit->setGeometry(356, 296, 73, 27);
    Days_Threshold_SpinEdit->setRange(Minimum_Days_Threshold, Maximum_Days_Threshold);
    // Named by its label, not by the status line above it; the unit follows.
    Label1->setBuddy(Days_Threshold_SpinEdit);
    Days_Threshold_SpinEdit->setAccessibleDescription(QStringLiteral("days"));
    components_.push_back(Days_Threshold_SpinEdit);

    Label2 = new Auto_Size_Label(QStringLiteral("days."), All_GroupBox);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(436, 302, 31, 17);
    components_.push_back(Label2);

    Ascending_Descending_RadioGroup = new Radio_Group(All_GroupBox);
    Ascending_Descending_RadioGroup->setObjectName(
        QStringLiteral("Ascending_Descending_RadioGroup"));
    Ascending_Descending_RadioGroup->setGeometry(576, 294, 105, 77);
    Ascending_Descending_RadioGroup->setTitle(QStringLiteral(" Sort &Order : "));
    Ascending_Descending_RadioGroup->setAccessibleName(QStringLiteral("Sort Order"));
    Ascending_Descending_RadioGroup->Add_Item(QStringLiteral("Ascending"));
    Ascending_Descending_RadioGroup->Add_Item(QStringLiteral("Descending"));
    Ascending_Descending_RadioGroup->Set_Item_Index(Sort_Ascending);
    components_.push_back(Ascending_Descending_RadioGroup);

    Auto_Display_Coming_Events_Report_CheckBox = new QCheckBox(All_GroupBox);
    Auto_Display_Coming_Events_Report_CheckBox->setObjectName(
        QStringLiteral("Auto_Display_Coming_Events_Report_CheckBox"));
    Auto_Display_Coming_Events_Report_CheckBox->setGeometry(32, 328, 521, 17);
    Auto_Display_Coming_Events_Report_CheckBox->setText(QStringLiteral(
        "&When the program is run, automatically display the \"Coming Events Report\"."));
    components_.push_back(Auto_Display_Coming_Events_Report_CheckBox);

    Label3 = new QLabel(All_GroupBox);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(32, 352, 537, 43);
    // The menu names in the text show their mnemonics, as the menus do.
    Label3->setTextFormat(Qt::RichText);
    Label3->setWordWrap(true);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label3->setText(Mnemonic_Rich_Text(QStringLiteral(
        "To automatically run this program (or stop the running of this program) at Windows "
        "Start-Up, please use the \"&Auto-Run at Windows Startup\" option under the &File "
        "menu.")));
    components_.push_back(Label3);

    struct Button_Design {
        QPushButton* TMainForm1::*member;
        const char* name;
        int left;
        const char* caption;
        const char* hint;
        Button_Glyph glyph;
        void (TMainForm1::*handler)();
    };
    const std::array<Button_Design, 6> buttons = {{
        {&TMainForm1::Inform_Me_Now_BitBtn, "Inform_Me_Now_BitBtn", 12, "&Report",
         "Report on up and coming events or birthdays", Button_Glyph::Report,
         &TMainForm1::Inform_Me_Now_BitBtnClick},
        {&TMainForm1::Add_Entry_BitBtn, "Add_Entry_BitBtn", 124, "&Add", "Add an event or birthday",
         Button_Glyph::Add, &TMainForm1::Add_Entry_BitBtnClick},
        {&TMainForm1::Edit_Entry_BitBtn, "Edit_Entry_BitBtn", 236, "&Edit",
         "Edit an event or birthday", Button_Glyph::Edit, &TMainForm1::Edit_Entry_BitBtnClick},
        {&TMainForm1::Delete_Selected_Rows_BitBtn, "Delete_Selected_Rows_BitBtn", 348, "De&lete",
         "Delete selected event(s) and/or birthday(s)", Button_Glyph::Delete,
         &TMainForm1::Delete_Selected_Rows_BitBtnClick},
        {&TMainForm1::Reset_Data_BitBtn, "Reset_Data_BitBtn", 460, "Re&set",
         "Delete all event(s) / birthday(s) in the list", Button_Glyph::Reset,
         &TMainForm1::Reset_Data_BitBtnClick},
        {&TMainForm1::Exit_BitBtn, "Exit_BitBtn", 572, "E&xit", "Exit this program",
         Button_Glyph::Exit, &TMainForm1::Exit_BitBtnClick},
    }};
    for (const Button_Design& design : buttons) {
        auto* button = new QPushButton(All_GroupBox);
        button->setObjectName(QString::fromUtf8(design.name));
        button->setGeometry(design.left, 398, 110, 33);
        button->setFont(Design_Font(16, true));
        button->setText(QString::fromUtf8(design.caption));
        button->setToolTip(QString::fromUtf8(design.hint));
        button->setIcon(Make_Button_Glyph(design.glyph));
        button->setIconSize(QSize(Button_Glyph_Size, Button_Glyph_Size));
        connect(button, &QPushButton::clicked, this, design.handler);
        this->*design.member = button;
        components_.push_back(button);
    }

    // State that the window keeps in controls nobody sees.
    Application_Already_Started_Up_CheckBox = new QCheckBox(client);
    Application_Already_Started_Up_CheckBox->setObjectName(
        QStringLiteral("Application_Already_Started_Up_CheckBox"));
    Application_Already_Started_Up_CheckBox->setGeometry(8, 8, 97, 17);
    Application_Already_Started_Up_CheckBox->hide();
    components_.push_back(Application_Already_Started_Up_CheckBox);

    Scaling_ListBox = new QListWidget(client);
    Scaling_ListBox->setObjectName(QStringLiteral("Scaling_ListBox"));
    Scaling_ListBox->setGeometry(8, 32, 121, 97);
    Scaling_ListBox->hide();
    components_.push_back(Scaling_ListBox);

    Change_Of_Date_Check_Timer = new QTimer(this);
    Change_Of_Date_Check_Timer->setObjectName(QStringLiteral("Change_Of_Date_Check_Timer"));
    Change_Of_Date_Check_Timer->setInterval(Date_Check_Interval_Ms);
    connect(Change_Of_Date_Check_Timer, &QTimer::timeout, this,
            &TMainForm1::Change_Of_Date_Check_TimerTimer);
    components_.push_back(Change_Of_Date_Check_Timer);

    Hide_Mainform1_Timer = new QTimer(this);
    Hide_Mainform1_Timer->setObjectName(QStringLiteral("Hide_Mainform1_Timer"));
    Hide_Mainform1_Timer->setInterval(Hide_Interval_Ms);
    Hide_Mainform1_Timer->setSingleShot(true);
    connect(Hide_Mainform1_Timer, &QTimer::timeout, this, &TMainForm1::Hide_Mainform1_TimerTimer);
    components_.push_back(Hide_Mainform1_Timer);

    connect(Sort_By_Column_RadioGroup, &Radio_Group::Clicked, this,
            &TMainForm1::Sort_By_Column_RadioGroupClick);
    connect(Ascending_Descending_RadioGroup, &Radio_Group::Clicked, this,
            &TMainForm1::Ascending_Descending_RadioGroupClick);
}

void TMainForm1::Create_Menu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    components_.push_back(bar);

    const auto add_menu = [&](const char* name, const char* caption) {
        QMenu* menu = bar->addMenu(QString::fromUtf8(caption));
        menu->setObjectName(QString::fromUtf8(name));
        components_.push_back(menu);
        return menu;
    };
    const auto add_item = [&](QMenu* menu, const char* name, const QString& caption,
                              void (TMainForm1::*handler)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromUtf8(name));
        connect(action, &QAction::triggered, this, handler);
        components_.push_back(action);
        return action;
    };
    const auto add_separator = [&](QMenu* menu) { components_.push_back(menu->addSeparator()); };

    File_Menu = add_menu("File_Menu", "&File");
    Always_On_Top_Option =
        add_item(File_Menu, "Always_On_Top_Option", QStringLiteral("Always &On Top"),
                 &TMainForm1::Always_On_Top_OptionClick);
    Always_On_Top_Option->setCheckable(true);
    if (Compositor_Places_Windows(QGuiApplication::platformName())) {
        // The choice stays stored for the desktops that honour it.
        Always_On_Top_Option->setEnabled(false);
        Always_On_Top_Option->setToolTip(
            QStringLiteral("This desktop (Wayland) lets no program keep its window above the "
                           "others."));
        File_Menu->setToolTipsVisible(true);
    }
    Auto_Run_at_Windows_Startup_Option =
        add_item(File_Menu, "Auto_Run_at_Windows_Startup_Option",
                 QStringLiteral("&Auto-Run at Windows Startup"),
                 &TMainForm1::Auto_Run_at_Windows_Startup_OptionClick);
    Auto_Run_at_Windows_Startup_Option->setCheckable(true);
    Daily_Notification_Option = add_item(File_Menu, "Daily_Notification_Option",
                                         QStringLiteral("Daily &Notification at Log-on and 09:00"),
                                         &TMainForm1::Daily_Notification_OptionClick);
    Daily_Notification_Option->setCheckable(true);
    Daily_Notification_Option->setVisible(services_.Daily_Task != nullptr);
    if (services_.Daily_Task != nullptr) {
        // The task may be changed outside the window (the installer, the
        // report tool, the Task Scheduler): read each time the menu opens.
        connect(File_Menu, &QMenu::aboutToShow, this, [this] {
            Daily_Notification_Option->setChecked(services_.Daily_Task->Query() ==
                                                  Daily_Notification_Task::State::Present);
        });
    }
    Restore_Factory_Defaults_Option = add_item(File_Menu, "Restore_Factory_Defaults_Option",
                                               QStringLiteral("&Restore Factory Defaults"),
                                               &TMainForm1::Restore_Factory_Defaults_OptionClick);
    add_separator(File_Menu);
    Create_Shortcut_on_Desktop_Option =
        add_item(File_Menu, "Create_Shortcut_on_Desktop_Option",
                 QStringLiteral("Create Shortcut on &Desktop"),
                 &TMainForm1::Create_Shortcut_on_Desktop_OptionClick);
    Create_Shortcut_on_Start_Menu_Option =
        add_item(File_Menu, "Create_Shortcut_on_Start_Menu_Option",
                 QStringLiteral("Create Shortcut on &Start Menu"),
                 &TMainForm1::Create_Shortcut_on_Start_Menu_OptionClick);
    Create_Shortcut_on_Start_Programs_Menu_Option =
        add_item(File_Menu, "Create_Shortcut_on_Start_Programs_Menu_Option",
                 QStringLiteral("Create Shortcut on Start -> &Programs Menu"),
                 &TMainForm1::Create_Shortcut_on_Start_Programs_Menu_OptionClick);
    Create_Shortcut_on_SendTo_Menu_Option =
        add_item(File_Menu, "Create_Shortcut_on_SendTo_Menu_Option",
                 QStringLiteral("Create Shortcut on Send&To Menu"),
                 &TMainForm1::Create_Shortcut_on_SendTo_Menu_OptionClick);
    Delete_All_Shortcuts_Option =
        add_item(File_Menu, "Delete_All_Shortcuts_Option", QStringLiteral("Delete A&LL Shortcuts"),
                 &TMainForm1::Delete_All_Shortcuts_OptionClick);
    add_separator(File_Menu);
    ExitOption =
        add_item(File_Menu, "ExitOption", QStringLiteral("E&xit"), &TMainForm1::ExitOptionClick);

    Data_Menu = add_menu("Data_Menu", "&Data");
    Add_Data_Menu_Option = add_item(Data_Menu, "Add_Data_Menu_Option", QStringLiteral("&Add"),
                                    &TMainForm1::Add_Data_Menu_OptionClick);
    Edit_Data_Menu_Option =
        add_item(Data_Menu, "Edit_Data_Menu_Option", QStringLiteral("&Edit Selected Row"),
                 &TMainForm1::Edit_Data_Menu_OptionClick);
    add_separator(Data_Menu);
    Find_Menu_Option = add_item(Data_Menu, "Find_Menu_Option", QStringLiteral("&Find..."),
                                &TMainForm1::Find_Menu_OptionClick);
    Find_Again_Menu_Option =
        add_item(Data_Menu, "Find_Again_Menu_Option", QStringLiteral("Find A&gain"),
                 &TMainForm1::Find_Again_Menu_OptionClick);
    Find_Previous_Menu_Option =
        add_item(Data_Menu, "Find_Previous_Menu_Option", QStringLiteral("Find &Previous"),
                 &TMainForm1::Find_Previous_Menu_OptionClick);
    add_separator(Data_Menu);
    Delete_Selected_Rows_Menu_Option = add_item(Data_Menu, "Delete_Selected_Rows_Menu_Option",
                                                QStringLiteral("&Delete Selected Row(s)"),
                                                &TMainForm1::Delete_Selected_Rows_Menu_OptionClick);
    Reset_Data_Menu_Option =
        add_item(Data_Menu, "Reset_Data_Menu_Option", QStringLiteral("&Reset Data"),
                 &TMainForm1::Reset_Data_Menu_OptionClick);
    add_separator(Data_Menu);
    Undo_Deletes_Menu_Option =
        add_item(Data_Menu, "Undo_Deletes_Menu_Option",
                 QStringLiteral("&Undo Recent Delete(s) / Reset(s) - Reload Data from File"),
                 &TMainForm1::Undo_Deletes_Menu_OptionClick);
    Restore_From_Backup_Menu_Option = add_item(Data_Menu, "Restore_From_Backup_Menu_Option",
                                               QStringLiteral("Restore from &Backup..."),
                                               &TMainForm1::Restore_From_Backup_Menu_OptionClick);
    add_separator(Data_Menu);
    Import_Data_From_Corvane_v15a_Menu_Option =
        add_item(Data_Menu, "Import_Data_From_Corvane_v15a_Menu_Option",
                 QStringLiteral("&Import Data - from \"Corvane v1.5a\""),
                 &TMainForm1::Import_Data_From_Corvane_v15a_Menu_OptionClick);
    Create_Test_Demo_Data_Menu_Option = add_item(
        Data_Menu, "Create_Test_Demo_Data_Menu_Option", QStringLiteral("&Create Test / Demo Data"),
        &TMainForm1::Create_Test_Demo_Data_Menu_OptionClick);
    Import_Data_from_Any_Other_Program_Menu_Option =
        add_item(Data_Menu, "Import_Data_from_Any_Other_Program_Menu_Option",
                 QStringLiteral("Import Data from Any A&nother Program"),
                 &TMainForm1::Import_Data_from_Any_Other_Program_Menu_OptionClick);
    add_separator(Data_Menu);
    Import_Contacts_Menu_Option = add_item(Data_Menu, "Import_Contacts_Menu_Option",
                                           QStringLiteral("Import Con&tacts (vCard)..."),
                                           &TMainForm1::Import_Contacts_Menu_OptionClick);
    Import_From_CSV_Menu_Option =
        add_item(Data_Menu, "Import_From_CSV_Menu_Option", QStringLiteral("Import from C&SV..."),
                 &TMainForm1::Import_From_CSV_Menu_OptionClick);
    Export_To_CSV_Menu_Option =
        add_item(Data_Menu, "Export_To_CSV_Menu_Option", QStringLiteral("E&xport to CSV..."),
                 &TMainForm1::Export_To_CSV_Menu_OptionClick);
    Export_To_ICalendar_Menu_Option = add_item(Data_Menu, "Export_To_ICalendar_Menu_Option",
                                               QStringLiteral("Export to iCa&lendar..."),
                                               &TMainForm1::Export_To_ICalendar_Menu_OptionClick);
    add_separator(Data_Menu);
    Sync_Calendar_Menu_Option = add_item(Data_Menu, "Sync_Calendar_Menu_Option",
                                         QStringLiteral("Sync with Calendar Ser&ver"),
                                         &TMainForm1::Sync_Calendar_Menu_OptionClick);
    Calendar_Account_Menu_Option =
        add_item(Data_Menu, "Calendar_Account_Menu_Option", QStringLiteral("Calendar Acc&ount..."),
                 &TMainForm1::Calendar_Account_Menu_OptionClick);

    Help_Menu = add_menu("Help_Menu", "&Help");
    View_Readme_file_Option =
        add_item(Help_Menu, "View_Readme_file_Option", QStringLiteral("&View Readme file"),
                 &TMainForm1::View_Readme_file_OptionClick);
    View_Shareware_Catalog_Option = add_item(Help_Menu, "View_Shareware_Catalog_Option",
                                             QStringLiteral("View &Shareware Catalog"),
                                             &TMainForm1::View_Shareware_Catalog_OptionClick);
    add_separator(Help_Menu);
    AboutOption =
        add_item(Help_Menu, "AboutOption", QStringLiteral("&About"), &TMainForm1::AboutOptionClick);

    // The keys people press in every program; the menus show them beside
    // the commands. Being the window's, they work wherever its focus is and
    // stay quiet while a modal window is up.
    const std::array<std::pair<QAction*, QKeySequence>, 8> keys = {{
        {Add_Data_Menu_Option, QKeySequence(Qt::CTRL | Qt::Key_N)},
        {Undo_Deletes_Menu_Option, QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {ExitOption, QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {View_Readme_file_Option, QKeySequence(Qt::Key_F1)},
        {Find_Menu_Option, QKeySequence(Qt::CTRL | Qt::Key_F)},
        {Find_Again_Menu_Option, QKeySequence(Qt::Key_F3)},
        {Find_Previous_Menu_Option, QKeySequence(Qt::SHIFT | Qt::Key_F3)},
        {Sync_Calendar_Menu_Option, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
    }};
    for (const auto& [action, key] : keys) {
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
    }
}

}  // namespace tessaly
