#include "ui/main/main_form.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <array>
#include <exception>

#include "core/data_file.h"
#include "core/dates.h"
#include "core/demo_data.h"
#include "core/errors.h"
#include "core/main_settings.h"
#include "core/profile_file.h"
#include "core/program_identity.h"
#include "core/sorting.h"
#include "desktop/desktop_services.h"
#include "report/report_window.h"
#include "ui/common/clock.h"
#include "ui/common/message_boxes.h"
#include "ui/common/text.h"
#include "ui/dialogs/add_modify_form.h"
#include "ui/main/auto_size_label.h"
#include "ui/main/button_glyphs.h"
#include "ui/main/grid_selection.h"
#include "ui/main/radio_group.h"
#include "ui/main/window_scaling.h"
#include "widgets/format_string_grid.h"

namespace tessaly {

namespace {

constexpr int Column_Count = 7;

const std::array<const char*, Column_Count> Column_Titles = {
    "Name", "Orig. Date", "Next Event", "Days Left", "Age Next", "Event Type", " Comments"};

// Per cent of the grid's width (less its scroll bar and frame) per column:
// the first six share the visible width, the comments run on past it.
constexpr std::array<int, Column_Count> Column_Width_Percent = {30, 15, 15, 10, 12, 18, 82};
constexpr int Grid_Width_Allowance = 26;

constexpr int Date_Check_Interval_Ms = 5000;
constexpr int Hide_Interval_Ms = 20;

QFont Design_Font(int pixels, bool bold = false) {
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QString Closing_Without_Saving_Question() {
    return QStringLiteral(
               "The list could not be saved.\n\nClose %1 anyway? The changes since the last save "
               "will be lost.")
        .arg(QString::fromUtf8(Program_Title));
}

QString Closing_Without_Settings_Question() {
    return QStringLiteral(
               "The settings could not be saved; the list was saved.\n\nClose %1 anyway? The "
               "window positions and options of this session will be lost.")
        .arg(QString::fromUtf8(Program_Title));
}

QString Restore_Factory_Defaults_Question() {
    return QStringLiteral(
        "All settings will go back to their factory defaults: window position and size,\n"
        "Always On Top, sort order, report time frame and start-up report,\n"
        "and the values the Add / Edit dialog and the report window remember.\n"
        "\n"
        "Restore the factory defaults now?");
}

}  // namespace

TMainForm1::TMainForm1(Main_Form_Services services, QWidget* parent)
    : QMainWindow(parent),
      services_(std::move(services)),
      data_file_(Data_File_Path(services_.Executable_Path.parent_path())) {
    setObjectName(QStringLiteral("MainForm1"));
    Create_Controls();
    Create_Menu();
    Birthday_And_Date_Report_Form = new TBirthday_And_Date_Report_Form(this);
    Add_Modify_Form =
        new TAdd_Modify_Form(services_.Time, services_.Messages, services_.Short_Date, this);
}

TMainForm1::~TMainForm1() = default;

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
    Names_And_Events_StringGrid->setRowCount(2);
    components_.push_back(Names_And_Events_StringGrid);

    Sort_By_Column_RadioGroup = new Radio_Group(All_GroupBox);
    Sort_By_Column_RadioGroup->setObjectName(QStringLiteral("Sort_By_Column_RadioGroup"));
    Sort_By_Column_RadioGroup->setGeometry(8, 252, 673, 41);
    Sort_By_Column_RadioGroup->setTitle(QStringLiteral(" Sort Data By : "));
    components_.push_back(Sort_By_Column_RadioGroup);

    Label1 = new Auto_Size_Label(
        QStringLiteral("Report contains all events occuring within the next "), All_GroupBox);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(32, 300, 299, 17);
    components_.push_back(Label1);

    Days_Threshold_SpinEdit = new QSpinBox(All_GroupBox);
    Days_Threshold_SpinEdit->setObjectName(QStringLiteral("Days_Threshold_SpinEdit"));
    Days_Threshold_SpinEdit->setGeometry(356, 296, 73, 27);
    Days_Threshold_SpinEdit->setRange(1, 100);
    components_.push_back(Days_Threshold_SpinEdit);

    Label2 = new Auto_Size_Label(QStringLiteral("days."), All_GroupBox);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(436, 302, 31, 17);
    components_.push_back(Label2);

    Ascending_Descending_RadioGroup = new Radio_Group(All_GroupBox);
    Ascending_Descending_RadioGroup->setObjectName(
        QStringLiteral("Ascending_Descending_RadioGroup"));
    Ascending_Descending_RadioGroup->setGeometry(576, 294, 105, 77);
    Ascending_Descending_RadioGroup->setTitle(QStringLiteral(" Sort Order : "));
    Ascending_Descending_RadioGroup->Add_Item(QStringLiteral("Ascending"));
    Ascending_Descending_RadioGroup->Add_Item(QStringLiteral("Descending"));
    Ascending_Descending_RadioGroup->Set_Item_Index(Sort_Ascending);
    components_.push_back(Ascending_Descending_RadioGroup);

    Auto_Display_Coming_Events_Report_CheckBox = new QCheckBox(All_GroupBox);
    Auto_Display_Coming_Events_Report_CheckBox->setObjectName(
        QStringLiteral("Auto_Display_Coming_Events_Report_CheckBox"));
    Auto_Display_Coming_Events_Report_CheckBox->setGeometry(32, 328, 521, 17);
    Auto_Display_Coming_Events_Report_CheckBox->setText(QStringLiteral(
        "When the program is run, automatically display the \"Coming Events Report\"."));
    components_.push_back(Auto_Display_Coming_Events_Report_CheckBox);

    Label3 = new QLabel(All_GroupBox);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(32, 352, 537, 43);
    Label3->setTextFormat(Qt::PlainText);
    Label3->setWordWrap(true);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label3->setText(QStringLiteral(
        "To automatically run this program (or stop the running of this program) at Windows "
        "Start-Up, please use the \"&Auto-Run at Windows Startup\" option under the &File "
        "menu."));
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
        {&TMainForm1::Inform_Me_Now_BitBtn, "Inform_Me_Now_BitBtn", 12, "Report",
         "Report on up and coming events or birthdays", Button_Glyph::Report,
         &TMainForm1::Inform_Me_Now_BitBtnClick},
        {&TMainForm1::Add_Entry_BitBtn, "Add_Entry_BitBtn", 124, "Add", "Add an event or birthday",
         Button_Glyph::Add, &TMainForm1::Add_Entry_BitBtnClick},
        {&TMainForm1::Edit_Entry_BitBtn, "Edit_Entry_BitBtn", 236, "Edit",
         "Edit an event or birthday", Button_Glyph::Edit, &TMainForm1::Edit_Entry_BitBtnClick},
        {&TMainForm1::Delete_Selected_Rows_BitBtn, "Delete_Selected_Rows_BitBtn", 348, "Delete",
         "Delete selected event(s) and/or birthday(s)", Button_Glyph::Delete,
         &TMainForm1::Delete_Selected_Rows_BitBtnClick},
        {&TMainForm1::Reset_Data_BitBtn, "Reset_Data_BitBtn", 460, "Reset",
         "Delete all event(s) / birthday(s) in the list", Button_Glyph::Reset,
         &TMainForm1::Reset_Data_BitBtnClick},
        {&TMainForm1::Exit_BitBtn, "Exit_BitBtn", 572, "Exit", "Exit this program",
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
    Auto_Run_at_Windows_Startup_Option =
        add_item(File_Menu, "Auto_Run_at_Windows_Startup_Option",
                 QStringLiteral("&Auto-Run at Windows Startup"),
                 &TMainForm1::Auto_Run_at_Windows_Startup_OptionClick);
    Auto_Run_at_Windows_Startup_Option->setCheckable(true);
    Restore_Factory_Defaults_Option = add_item(File_Menu, "Restore_Factory_Defaults_Option",
                                               QStringLiteral("&Restore Factory Defaults"),
                                               &TMainForm1::Restore_Factory_Defaults_OptionClick);
    add_separator(File_Menu);
    Create_Shortcut_on_Desktop_Option =
        add_item(File_Menu, "Create_Shortcut_on_Desktop_Option",
                 QStringLiteral("Create Shortcut on Desktop"),
                 &TMainForm1::Create_Shortcut_on_Desktop_OptionClick);
    Create_Shortcut_on_Start_Menu_Option =
        add_item(File_Menu, "Create_Shortcut_on_Start_Menu_Option",
                 QStringLiteral("Create Shortcut on Start Menu"),
                 &TMainForm1::Create_Shortcut_on_Start_Menu_OptionClick);
    Create_Shortcut_on_Start_Programs_Menu_Option =
        add_item(File_Menu, "Create_Shortcut_on_Start_Programs_Menu_Option",
                 QStringLiteral("Create Shortcut on Start -> Programs Menu"),
                 &TMainForm1::Create_Shortcut_on_Start_Programs_Menu_OptionClick);
    Create_Shortcut_on_SendTo_Menu_Option =
        add_item(File_Menu, "Create_Shortcut_on_SendTo_Menu_Option",
                 QStringLiteral("Create Shortcut on SendTo Menu"),
                 &TMainForm1::Create_Shortcut_on_SendTo_Menu_OptionClick);
    Delete_All_Shortcuts_Option =
        add_item(File_Menu, "Delete_All_Shortcuts_Option", QStringLiteral("Delete ALL Shortcuts"),
                 &TMainForm1::Delete_All_Shortcuts_OptionClick);
    add_separator(File_Menu);
    ExitOption =
        add_item(File_Menu, "ExitOption", QStringLiteral("E&xit"), &TMainForm1::ExitOptionClick);

    Data_Menu = add_menu("Data_Menu", "Data");
    Add_Data_Menu_Option = add_item(Data_Menu, "Add_Data_Menu_Option", QStringLiteral("Add"),
                                    &TMainForm1::Add_Data_Menu_OptionClick);
    Edit_Data_Menu_Option =
        add_item(Data_Menu, "Edit_Data_Menu_Option", QStringLiteral("Edit Selected Row"),
                 &TMainForm1::Edit_Data_Menu_OptionClick);
    add_separator(Data_Menu);
    Delete_Selected_Rows_Menu_Option = add_item(Data_Menu, "Delete_Selected_Rows_Menu_Option",
                                                QStringLiteral("Delete Selected Row(s)"),
                                                &TMainForm1::Delete_Selected_Rows_Menu_OptionClick);
    Reset_Data_Menu_Option =
        add_item(Data_Menu, "Reset_Data_Menu_Option", QStringLiteral("Reset Data"),
                 &TMainForm1::Reset_Data_Menu_OptionClick);
    add_separator(Data_Menu);
    Undo_Deletes_Menu_Option =
        add_item(Data_Menu, "Undo_Deletes_Menu_Option",
                 QStringLiteral("Undo Recent Delete(s) / Reset(s) - Reload Data from File"),
                 &TMainForm1::Undo_Deletes_Menu_OptionClick);
    add_separator(Data_Menu);
    Import_Data_From_Corvane_v15a_Menu_Option =
        add_item(Data_Menu, "Import_Data_From_Corvane_v15a_Menu_Option",
                 QStringLiteral("Import Data - from \"Corvane v1.5a\""),
                 &TMainForm1::Import_Data_From_Corvane_v15a_Menu_OptionClick);
    Create_Test_Demo_Data_Menu_Option = add_item(
        Data_Menu, "Create_Test_Demo_Data_Menu_Option", QStringLiteral("Create Test / Demo Data"),
        &TMainForm1::Create_Test_Demo_Data_Menu_OptionClick);
    Import_Data_from_Any_Other_Program_Menu_Option =
        add_item(Data_Menu, "Import_Data_from_Any_Other_Program_Menu_Option",
                 QStringLiteral("Import Data from Any Another Program"),
                 &TMainForm1::Import_Data_from_Any_Other_Program_Menu_OptionClick);

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
}

std::filesystem::path TMainForm1::Data_File() const {
    return data_file_.File();
}

// ---------------------------------------------------------------------------
// The grid

void TMainForm1::Set_Up_Grid() {
    TFormatStringGrid& grid = *Names_And_Events_StringGrid;
    grid.setColCount(Column_Count);
    grid.setFixedCols(0);
    grid.setFixedRows(1);
    grid.setFixedLineColor(Qt::black);
    grid.setMultiLine(false);
    grid.setDefaultRowHeight(24);
    for (int col = 0; col < Column_Count; ++col) {
        TFormatColumnItem& item = grid.Columns()[col];
        const bool comments = col == Column_Count - 1;
        item.setCaption(QString::fromUtf8(Column_Titles[static_cast<std::size_t>(col)]));
        item.setHeaderFont(Design_Font(15, !comments));
        item.setHeaderAlignment(comments ? Cell_Alignment::Left : Cell_Alignment::Centre);
        item.setFont(Design_Font(15, col == 0));
        item.setAlignment(col == 0 || comments ? Cell_Alignment::Left : Cell_Alignment::Centre);
    }
}

void TMainForm1::Fill_Sort_By_Column_RadioGroup() {
    Sort_By_Column_RadioGroup->Clear_Items();
    Sort_By_Column_RadioGroup->Set_Columns(Names_And_Events_StringGrid->colCount());
    for (int col = 0; col < Names_And_Events_StringGrid->colCount(); ++col) {
        Sort_By_Column_RadioGroup->Add_Item(Names_And_Events_StringGrid->cell(col, 0));
    }
}

void TMainForm1::Set_Column_Widths() {
    TFormatStringGrid& grid = *Names_And_Events_StringGrid;
    const int usable = grid.width() - Grid_Width_Allowance;
    for (int col = 0; col < Column_Count && col < grid.colCount(); ++col) {
        grid.setColWidth(col, usable * Column_Width_Percent[static_cast<std::size_t>(col)] / 100);
    }
}

void TMainForm1::Refresh_StringGrid_From_Array_ButtonClick() {
    ++refresh_count_;
    struct Depth_Guard {
        int& depth;
        explicit Depth_Guard(int& d) : depth(++d) {}
        ~Depth_Guard() { --depth; }
    } nesting(refresh_depth_);
    TFormatStringGrid& grid = *Names_And_Events_StringGrid;
    const Day_Number today = services_.Time.Today();

    All_GroupBox->setTitle(
        QStringLiteral("  %1 events listed,    Today's date is %2, %3")
            .arg(Event_Array.Event_Count())
            .arg(QString::fromStdString(Day_Name_Of(today)),
                 From_File_Text(Format_Short_Date(services_.Short_Date, today))));

    Calc_Days_Left_ButtonClick(Event_Array, today);

    // A sort that moved entries refreshes once itself; inside that refresh the
    // list is in order already, so it goes no deeper.
    if (tessaly::Sort_Data_BitBtnClick(Event_Array, Sort_By_Column_RadioGroup->Item_Index(),
                                       Ascending_Descending_RadioGroup->Item_Index()) &&
        refresh_depth_ == 1) {
        Refresh_StringGrid_From_Array_ButtonClick();
    }

    const int count = Event_Array.Event_Count();
    if (count > 0) {
        grid.setRowCount(count + 1);
    } else {
        grid.setRowCount(2);
        for (int col = 0; col < grid.colCount(); ++col) {
            grid.setCell(col, 1, QString());
        }
        Select_Row(grid, 1);
    }

    for (int position = 1; position <= count; ++position) {
        const TName_And_Event_Data& entry = Event_Array.At(position);
        if (entry.Name.empty()) {
            for (int col = 0; col < grid.colCount(); ++col) {
                grid.setCell(col, position, QString());
            }
            continue;
        }
        grid.setCell(0, position, From_File_Text(entry.Name));
        grid.setCell(1, position,
                     From_File_Text(Format_Short_Date(services_.Short_Date, entry.Orig_Date)));
        grid.setCell(2, position,
                     From_File_Text(Format_Short_Date(services_.Short_Date, entry.Next_Event)));
        grid.setCell(3, position, QString::number(entry.Days_Left));
        grid.setCell(4, position, QString::number(entry.Age_Next));
        grid.setCell(5, position, From_File_Text(entry.Event_Type));
        grid.setCell(6, position, From_File_Text(entry.Comments));
    }

    Last_Refresh_Date = today;
}

bool TMainForm1::Sort_Data_BitBtnClick() {
    const bool moved =
        tessaly::Sort_Data_BitBtnClick(Event_Array, Sort_By_Column_RadioGroup->Item_Index(),
                                       Ascending_Descending_RadioGroup->Item_Index());
    if (moved) {
        Refresh_StringGrid_From_Array_ButtonClick();
    }
    return moved;
}

void TMainForm1::Sort_By_Column_RadioGroupClick() {
    Sort_Data_BitBtnClick();
}

void TMainForm1::Ascending_Descending_RadioGroupClick() {
    Sort_Data_BitBtnClick();
}

// ---------------------------------------------------------------------------
// Start-up

void TMainForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // A window coming back from the task bar is no start-up.
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TMainForm1::FormShow() {
    // Nothing half-built is to be seen while start-up runs. A window being
    // shown reaches the screen only after this returns, so only one already
    // there needs minimising; minimising and restoring one not yet there
    // would put it on the screen early.
    if (windowHandle() != nullptr && windowHandle()->isVisible()) {
        setWindowState(windowState() | Qt::WindowMinimized);
    }
    if (Application_Already_Started_Up_CheckBox->isChecked()) {
        return;
    }
    Application_Already_Started_Up_CheckBox->setChecked(true);

    Set_Up_Grid();
    Fill_Sort_By_Column_RadioGroup();

    // The client area fitted round the group box with equal margins is the
    // size the design's geometry belongs to.
    const QRect group = All_GroupBox->geometry();
    const QSize reference(2 * group.left() + group.width(), 2 * group.top() + group.height());
    resize(reference.width(), reference.height() + menuBar()->sizeHint().height());
    Record_Design_Layout(*Scaling_ListBox, reference, components_);

    Apply_Settings(Read_Settings());
    Set_Program_Identity();
    if (settings_.Window_Maximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    Always_On_Top_Option->setChecked(!Always_On_Top_Option->isChecked());
    Toggle_Always_On_Top();
    Check_Auto_Run_Entry();
    Create_Test_Demo_Data_Menu_Option->setVisible(false);

    Event_Array.Initialise_Entire_Array_ButtonClick();
    Load_Data_From_File_ButtonClick();
    QCoreApplication::processEvents();

    if (Auto_Display_Coming_Events_Report_CheckBox->isChecked() && Event_Array.Event_Count() > 0) {
        // The window waits minimised; the report hides it and brings it back.
        setWindowState(windowState() | Qt::WindowMinimized);
        Hide_Mainform1_Timer->start();
    } else {
        Restore_Window();
        Apply_Startup_Show_Command();
    }
    Change_Of_Date_Check_Timer->start();
}

void TMainForm1::Apply_Settings(const Main_Settings& settings) {
    settings_ = settings;
    // The stored size is the outer one, frame included.
    const QSize frame = frameGeometry().size() - geometry().size();
    resize(std::max(settings.Window_Width - frame.width(), 0),
           std::max(settings.Window_Height - frame.height(), 0));
    move(settings.Window_Left, settings.Window_Top);
    Always_On_Top_Option->setChecked(settings.Always_On_Top);
    Auto_Run_at_Windows_Startup_Option->setChecked(settings.Auto_Run_At_Windows_Startup);
    Sort_By_Column_RadioGroup->Set_Item_Index(settings.Sort_Column);
    Ascending_Descending_RadioGroup->Set_Item_Index(settings.Sort_Order);
    Days_Threshold_SpinEdit->setValue(settings.Days_Threshold);
    Add_Modify_Form->Set_Name(From_File_Text(settings.Name_Edit));
    Add_Modify_Form->Set_Calendar_Date(
        settings.Month_Calendar_Date.value_or(services_.Time.Today()));
    Add_Modify_Form->Set_Event_Type(From_File_Text(settings.Event_Type));
    Auto_Display_Coming_Events_Report_CheckBox->setChecked(
        settings.Auto_Display_Coming_Events_Report);
    Birthday_And_Date_Report_Form->Set_Position(settings.Report_Top, settings.Report_Left);
}

Main_Settings TMainForm1::Read_Settings() {
    try {
        return Read_Main_Settings(Profile_File::Load(Settings_File()), services_.Time.Today());
    } catch (const std::exception& error) {
        services_.Messages.Show(this, Message_Kind::Error, QString::fromUtf8(Program_Title),
                                Message_Text(error.what()));
        return Main_Settings{};
    }
}

std::filesystem::path TMainForm1::Settings_File() const {
    return Settings_File_Path(services_.Executable_Path.parent_path());
}

void TMainForm1::Set_Program_Identity() {
    // The title goes on the window only: as the application's display name Qt
    // would append it to every other window's caption too.
    const QString title = QString::fromUtf8(Program_Title);
    setWindowTitle(title);
    setToolTip(QString());
}

void TMainForm1::Toggle_Always_On_Top() {
    const bool on_top = !Always_On_Top_Option->isChecked();
    Always_On_Top_Option->setChecked(on_top);
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on_top);
    if (QWindow* window = windowHandle()) {
        // Straight to the existing window: re-creating it would hide it, move
        // it and take the focus.
        overrideWindowFlags(flags);
        window->setFlags(flags);
    } else {
        setWindowFlags(flags);
    }
}

void TMainForm1::Check_Auto_Run_Entry() {
    const std::string program_name = services_.Executable_Path.stem().string();
    Auto_Run_at_Windows_Startup_Option->setChecked(
        services_.Desktop.Auto_Run_Entry(program_name).has_value());
}

void TMainForm1::Apply_Startup_Show_Command() {
    const auto command = services_.Desktop.Startup_Show();
    if (!command) {
        return;
    }
    Qt::WindowStates state = windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    switch (*command) {
        case Startup_Show_Command::Normal:
            break;
        case Startup_Show_Command::Minimised:
            state |= Qt::WindowMinimized;
            break;
        case Startup_Show_Command::Maximised:
            state |= Qt::WindowMaximized;
            break;
    }
    setWindowState(state);
}

void TMainForm1::Restore_Window() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
}

// ---------------------------------------------------------------------------
// Timers

void TMainForm1::Change_Of_Date_Check_TimerTimer() {
    if (services_.Time.Today() != Last_Refresh_Date) {
        Refresh_StringGrid_From_Array_ButtonClick();
    }
}

void TMainForm1::Hide_Mainform1_TimerTimer() {
    Hide_Mainform1_Timer->stop();
    hide();
    Inform_Me_Now_BitBtnClick();
    // After "Exit Program" the window is closed: un-minimising it would map
    // it again on some platforms.
    if (isVisible()) {
        Restore_Window();
    }
}

// ---------------------------------------------------------------------------
// Resize and close

void TMainForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

QSize TMainForm1::Client_Size() const {
    return centralWidget()->size();
}

void TMainForm1::FormResize() {
    Scale_Controls_To_Window(*Scaling_ListBox, Client_Size(), components_);
    Set_Column_Widths();
}

void TMainForm1::closeEvent(QCloseEvent* event) {
    bool can_close = true;
    FormCloseQuery(can_close);
    event->setAccepted(can_close);
    if (can_close) {
        Change_Of_Date_Check_Timer->stop();
        Hide_Mainform1_Timer->stop();
    }
}

void TMainForm1::FormCloseQuery(bool& can_close) {
    const QString title = QString::fromUtf8(Program_Title);
    bool settings_saved = true;
    bool data_saved = true;
    // A settings failure must not cost the user the list: the data file is
    // saved regardless.
    try {
        Save_Settings_To_INI_File();
    } catch (const std::exception& error) {
        services_.Messages.Show(this, Message_Kind::Error, title, Message_Text(error.what()));
        settings_saved = false;
    }
    try {
        Save_Data_To_File_ButtonClick(true);
    } catch (const std::exception& error) {
        services_.Messages.Show(this, Message_Kind::Error, title, Message_Text(error.what()));
        data_saved = false;
    }
    // Nobody is kept in a program that cannot save, and nothing is lost
    // without the user saying so.
    can_close = (settings_saved && data_saved) ||
                services_.Messages.Show(this, Message_Kind::Confirmation, title,
                                        data_saved ? Closing_Without_Settings_Question()
                                                   : Closing_Without_Saving_Question()) ==
                    Message_Answer::Yes;
}

Main_Settings TMainForm1::Current_Settings() const {
    Main_Settings settings;
    // A maximised window stores the bounds it comes back to; reading them
    // spares restoring a window whose close the user may still refuse.
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    settings.Window_Maximized = isMaximized();
    const QRect normal = settings.Window_Maximized ? normalGeometry() : client;
    settings.Window_Top = normal.top() - (client.top() - frame.top());
    settings.Window_Left = normal.left() - (client.left() - frame.left());
    settings.Window_Width = normal.width() + frame.width() - client.width();
    settings.Window_Height = normal.height() + frame.height() - client.height();
    settings.Always_On_Top = Always_On_Top_Option->isChecked();
    settings.Auto_Run_At_Windows_Startup = Auto_Run_at_Windows_Startup_Option->isChecked();
    bool is_number = false;
    const int days = Days_Threshold_SpinEdit->cleanText().toInt(&is_number);
    settings.Days_Threshold = is_number ? days : 1;
    settings.Sort_Column = Sort_By_Column_RadioGroup->Item_Index();
    settings.Sort_Order = Ascending_Descending_RadioGroup->Item_Index();
    settings.Name_Edit = To_File_Text(Add_Modify_Form->Name());
    settings.Month_Calendar_Date = Add_Modify_Form->Calendar_Date();
    settings.Event_Type = To_File_Text(Add_Modify_Form->Event_Type());
    settings.Auto_Display_Coming_Events_Report =
        Auto_Display_Coming_Events_Report_CheckBox->isChecked();
    settings.Report_Top = Birthday_And_Date_Report_Form->Top();
    settings.Report_Left = Birthday_And_Date_Report_Form->Left();
    return settings;
}

void TMainForm1::Save_Settings_To_INI_File() {
    const std::filesystem::path file = Settings_File();
    try {
        Profile_File profile = Profile_File::Load(file);
        Write_Main_Settings(profile, Current_Settings(), services_.Time.Today());
        profile.Save(file);
    } catch (const File_Error&) {
        throw File_Error("Unable to write to " + file.string());
    }
}

// ---------------------------------------------------------------------------
// Commands

void TMainForm1::Exit_BitBtnClick() {
    close();
}

void TMainForm1::ExitOptionClick() {
    close();
}

void TMainForm1::Always_On_Top_OptionClick() {
    // The menu ticks a checkable item before this runs; the toggle decides.
    Always_On_Top_Option->setChecked(!Always_On_Top_Option->isChecked());
    Toggle_Always_On_Top();
}

void TMainForm1::Restore_Factory_Defaults_OptionClick() {
    if (services_.Messages.Show(this, Message_Kind::Warning, QString::fromUtf8(Program_Title),
                                Restore_Factory_Defaults_Question()) != Message_Answer::Yes) {
        return;
    }
    services_.Desktop.Delete_File_Safely(Settings_File());
    // Deleting the file alone would change nothing: the close writes the
    // running values back. The defaults take effect at once instead.
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
    // The Auto-Run mark shows the log-in entry, which the file never held.
    const bool auto_run = Auto_Run_at_Windows_Startup_Option->isChecked();
    Apply_Settings(Main_Settings{});
    Auto_Run_at_Windows_Startup_Option->setChecked(auto_run);
    Always_On_Top_Option->setChecked(!Always_On_Top_Option->isChecked());
    Toggle_Always_On_Top();
    Sort_Data_BitBtnClick();
    // The show handling minimises a visible window; the user is left with a
    // restored one.
    FormShow();
    Restore_Window();
}

void TMainForm1::Create_Test_Demo_Data_Menu_OptionClick() {
    Append_Demo_Data(Event_Array, services_.Time.Today());
    Refresh_StringGrid_From_Array_ButtonClick();
    Select_Row(*Names_And_Events_StringGrid, 1);
}

// Commands that arrive with their own changes.
void TMainForm1::Auto_Run_at_Windows_Startup_OptionClick() {}
void TMainForm1::Create_Shortcut_on_Desktop_OptionClick() {}
void TMainForm1::Create_Shortcut_on_Start_Menu_OptionClick() {}
void TMainForm1::Create_Shortcut_on_Start_Programs_Menu_OptionClick() {}
void TMainForm1::Create_Shortcut_on_SendTo_Menu_OptionClick() {}
void TMainForm1::Delete_All_Shortcuts_OptionClick() {}
void TMainForm1::Import_Data_From_Corvane_v15a_Menu_OptionClick() {}
void TMainForm1::Import_Data_from_Any_Other_Program_Menu_OptionClick() {}
void TMainForm1::AboutOptionClick() {}

std::filesystem::path TMainForm1::Readme_File() const {
    const std::string name = services_.Executable_Path.filename().string();
    return services_.Executable_Path.parent_path() / (name.substr(0, name.find('.')) + ".txt");
}

void TMainForm1::View_In_Notepad(const std::filesystem::path& file) {
    if (!services_.Desktop.View_In_Notepad(file)) {
        services_.Messages.Show(this, Message_Kind::Information, QString::fromUtf8(Program_Title),
                                QStringLiteral("Windows Notepad could not be found."));
    }
}

void TMainForm1::View_Readme_file_OptionClick() {
    // A missing readme is the editor's to report.
    View_In_Notepad(Readme_File());
}

void TMainForm1::View_Shareware_Catalog_OptionClick() {
    const std::filesystem::path catalog = services_.Executable_Path.parent_path() / "catalog.txt";
    std::error_code error;
    if (std::filesystem::exists(catalog, error)) {
        View_In_Notepad(catalog);
        return;
    }
    services_.Messages.Show(
        this, Message_Kind::Information, QString::fromUtf8(Program_Title),
        QStringLiteral("Harrow's Shareware Catalog is not in the same directory as ") +
            QString::fromUtf8(Program_Title) + QStringLiteral(".  ") +
            QStringLiteral("The required file 'catalog.txt' was included in the ") +
            QStringLiteral("distribution ZIP file.  Please unzip this file and try again."));
}

}  // namespace tessaly
