#pragma once

#include <QMainWindow>
#include <QMargins>
#include <QRect>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/data_file_session.h"
#include "core/event_list.h"
#include "core/import.h"
#include "core/main_settings.h"
#include "core/program_folders.h"
#include "core/short_date.h"
#include "sync/sync_account.h"
#include "ui/common/file_dialogs.h"
#include "ui/common/made_on_first_use.h"
#include "ui/main/exchange_folders.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QSpinBox;
class QTimer;
class QToolBar;

namespace tessaly {

class Auto_Start_Entries;
class Backup_Prompts;
class Calendar_Connection;
class Calendar_Prompts;
class Calendar_Sync;
class Daily_Notification_Task;
class Status_Line_Label;
struct Calendar_Sync_Report;
class Secret_Store;
class Clock;
class File_Dialogs;
class File_Routines;
class Find_Bar;
class Link_Opener;
class Memory_Status;
class Message_Boxes;
class Radio_Group;
class Regional_Date_Format;
class Shell_Folders;
class Startup_Show;
class TAboutBox;
class TAdd_Modify_Form;
class TBirthday_And_Date_Report_Form;
class Text_Editor;
class TFormatStringGrid;

// Everything the window takes from outside, so that tests can stand in for
// the clock, the dialogs, each platform service and the program's folder.
struct Main_Form_Services {
    Clock& Time;
    Message_Boxes& Messages;
    File_Dialogs& Dialogs;
    // Read at start-up: the Auto-Run mark shows whether the entry exists.
    Auto_Start_Entries& Auto_Start;
    // Where the shortcuts go.
    Shell_Folders& Shell;
    Startup_Show& Startup;
    File_Routines& File_System;
    // The Help menu's text files.
    Text_Editor& Editor;
    // The window's short dates follow its pattern.
    Regional_Date_Format& Region;
    // The About box's links and its free-memory figure.
    Link_Opener& Links;
    Memory_Status& Memory;
    // The calendar account's password, the server, and the sync's questions.
    Secret_Store& Secrets;
    Calendar_Connection& Calendar_Server;
    Calendar_Prompts& Calendar_Questions;
    // Auto-run and the shortcuts start it; the readme is named after it.
    std::filesystem::path Executable_Path;
    // Where the data, settings and text files live.
    Program_Folders Folders;
    // The restore's choice of a backup; none: the window's own dialog.
    Backup_Prompts* Backup_Questions = nullptr;
    // The daily notification's scheduled task; none hides its menu item.
    Daily_Notification_Task* Daily_Task = nullptr;
};

// The main window: it owns the event list for the whole run, shows it in the
// grid, keeps it current across midnight and saves it when it closes.
class TMainForm1 : public QMainWindow {
    Q_OBJECT

public:
    explicit TMainForm1(Main_Form_Services services, QWidget* parent = nullptr);
    ~TMainForm1() override;

    Event_List& List() { return Event_Array; }
    const Event_List& List() const { return Event_Array; }
    // The day of the last list refresh; 0 before the first.
    Day_Number Refreshed_On() const { return Last_Refresh_Date; }
    // How many list refreshes have run, nested ones included.
    int Refresh_Count() const { return refresh_count_; }
    std::filesystem::path Data_File() const;
    std::filesystem::path Settings_File() const;
    // The readme's name is the executable's up to its first "." plus ".txt".
    std::filesystem::path Readme_File() const;

    // The list refresh: status line, derived fields, sort, grid.
    void Refresh_StringGrid_From_Array_ButtonClick();
    // Replaces the list with the data file's content, refreshes and selects
    // the first row; a failure is shown to the user. Returns whether a file
    // was loaded.
    bool Load_Data_From_File_ButtonClick();
    // Writes the list unless the file already holds it. A file changed on
    // disk since it was read is written over only when the user says so;
    // otherwise its version is kept (and loaded unless the window is
    // closing). Throws File_Error, also when the last load failed: a file
    // that was not read is never written over.
    void Save_Data_To_File_ButtonClick(bool closing = false);
    // The system ends the program (log-out, shutdown): settings and list are
    // saved without a question; a list its file cannot take goes to the safe
    // file beside it.
    void Save_Before_Termination();
    // The system ends the program: Save_Before_Termination, then the event
    // loop quits. A request during start-up is remembered: the message that
    // is up closes, later ones close at once, and the program quits as soon
    // as start-up is over and the event loop runs.
    void Quit_For_Termination();
    // The session ends (log-off, shutdown): the list is saved at once, since
    // the system may end the process as soon as this returns. While start-up
    // runs nothing has changed yet: the program ends when start-up is over.
    void Save_For_Session_End();
    // The save after a command changed the list: a failure is reported and
    // the change stays in memory for the close to save. Returns whether the
    // list was saved.
    bool Save_After_Change();
    // The end of every import: the message when the list could not take all,
    // the grid refreshed at row 1, and the save. Returns whether it saved.
    bool Finish_Import(bool had_too_many);
    // Sorts the list by the radio groups' choice and refreshes when anything
    // moved. Returns whether anything moved.
    bool Sort_Data_BitBtnClick();

    // Start-up's settings step, also the factory reset. No test against the
    // screen; the controls bring values into their own range.
    void Apply_Settings(const Main_Settings& settings);
    void Set_Program_Identity();
    void Toggle_Always_On_Top();
    void Check_Auto_Run_Entry();
    void Apply_Startup_Show_Command();

    void FormShow();
    void FormCloseQuery(bool& can_close);
    void FormResize();

    void Change_Of_Date_Check_TimerTimer();
    void Hide_Mainform1_TimerTimer();

    void Sort_By_Column_RadioGroupClick();
    void Ascending_Descending_RadioGroupClick();

    void Inform_Me_Now_BitBtnClick();
    void Add_Entry_BitBtnClick();
    void Edit_Entry_BitBtnClick();
    void Delete_Selected_Rows_BitBtnClick();
    void Reset_Data_BitBtnClick();
    void Exit_BitBtnClick();

    void Always_On_Top_OptionClick();
    void Auto_Run_at_Windows_Startup_OptionClick();
    void Daily_Notification_OptionClick();
    void Restore_Factory_Defaults_OptionClick();
    void Create_Shortcut_on_Desktop_OptionClick();
    void Create_Shortcut_on_Start_Menu_OptionClick();
    void Create_Shortcut_on_Start_Programs_Menu_OptionClick();
    void Create_Shortcut_on_SendTo_Menu_OptionClick();
    void Delete_All_Shortcuts_OptionClick();
    void ExitOptionClick();
    void Add_Data_Menu_OptionClick();
    void Edit_Data_Menu_OptionClick();
    void Delete_Selected_Rows_Menu_OptionClick();
    void Reset_Data_Menu_OptionClick();
    // The find bar: opened ready for typing, and the next or previous
    // match of its text.
    void Find_Menu_OptionClick();
    void Find_Again_Menu_OptionClick();
    void Find_Previous_Menu_OptionClick();
    void Undo_Deletes_Menu_OptionClick();
    // Replaces the list with a dated backup the user picks, and saves it;
    // Undo then puts back the list it replaced.
    void Restore_From_Backup_Menu_OptionClick();
    void Import_Data_From_Corvane_v15a_Menu_OptionClick();
    void Create_Test_Demo_Data_Menu_OptionClick();
    void Import_Data_from_Any_Other_Program_Menu_OptionClick();
    void Import_Contacts_Menu_OptionClick();
    void Import_From_CSV_Menu_OptionClick();
    void Export_To_CSV_Menu_OptionClick();
    void Export_To_ICalendar_Menu_OptionClick();
    void Sync_Calendar_Menu_OptionClick();
    void Calendar_Account_Menu_OptionClick();
    void View_Readme_file_OptionClick();
    void View_Shareware_Catalog_OptionClick();
    void AboutOptionClick();

    // The components, as the window's design lays them out.
    QGroupBox* All_GroupBox;
    TFormatStringGrid* Names_And_Events_StringGrid;
    Radio_Group* Sort_By_Column_RadioGroup;
    QLabel* Label1;
    QSpinBox* Days_Threshold_SpinEdit;
    QLabel* Label2;
    Radio_Group* Ascending_Descending_RadioGroup;
    QCheckBox* Auto_Display_Coming_Events_Report_CheckBox;
    QLabel* Label3;
    QPushButton* Inform_Me_Now_BitBtn;
    QPushButton* Add_Entry_BitBtn;
    QPushButton* Edit_Entry_BitBtn;
    QPushButton* Delete_Selected_Rows_BitBtn;
    QPushButton* Reset_Data_BitBtn;
    QPushButton* Exit_BitBtn;
    QCheckBox* Application_Already_Started_Up_CheckBox;
    QListWidget* Scaling_ListBox;
    // The chosen file's lines while an import runs.
    Import_Lines Import_Data_ListBox;
    // The import's file dialog, as it was last shown.
    Open_File_Request OpenDialog1;
    QTimer* Change_Of_Date_Check_Timer;
    QTimer* Hide_Mainform1_Timer;
    // Above the list while the user finds an entry by name.
    // Made at the first find: most starts never use it.
    Made_On_First_Use<QToolBar> Find_ToolBar;
    Made_On_First_Use<Find_Bar> Grid_Find_Bar;

    QMenu* File_Menu;
    QAction* Always_On_Top_Option;
    QAction* Auto_Run_at_Windows_Startup_Option;
    // Shown only where the daily notification is a scheduled task.
    QAction* Daily_Notification_Option;
    QAction* Restore_Factory_Defaults_Option;
    QAction* Create_Shortcut_on_Desktop_Option;
    QAction* Create_Shortcut_on_Start_Menu_Option;
    QAction* Create_Shortcut_on_Start_Programs_Menu_Option;
    QAction* Create_Shortcut_on_SendTo_Menu_Option;
    QAction* Delete_All_Shortcuts_Option;
    QAction* ExitOption;
    QMenu* Data_Menu;
    QAction* Add_Data_Menu_Option;
    QAction* Edit_Data_Menu_Option;
    QAction* Delete_Selected_Rows_Menu_Option;
    QAction* Reset_Data_Menu_Option;
    QAction* Find_Menu_Option;
    QAction* Find_Again_Menu_Option;
    QAction* Find_Previous_Menu_Option;
    QAction* Undo_Deletes_Menu_Option;
    QAction* Restore_From_Backup_Menu_Option;
    QAction* Import_Data_From_Corvane_v15a_Menu_Option;
    QAction* Create_Test_Demo_Data_Menu_Option;
    QAction* Import_Data_from_Any_Other_Program_Menu_Option;
    QAction* Import_Contacts_Menu_Option;
    QAction* Import_From_CSV_Menu_Option;
    QAction* Export_To_CSV_Menu_Option;
    QAction* Export_To_ICalendar_Menu_Option;
    QAction* Sync_Calendar_Menu_Option;
    QAction* Calendar_Account_Menu_Option;
    QMenu* Help_Menu;
    QAction* View_Readme_file_Option;
    QAction* View_Shareware_Catalog_Option;
    QAction* AboutOption;

    // The other forms live as long as the main window, each made when it is
    // first needed.
    Made_On_First_Use<TBirthday_And_Date_Report_Form> Birthday_And_Date_Report_Form;
    Made_On_First_Use<TAboutBox> AboutBox;
    Made_On_First_Use<TAdd_Modify_Form> Add_Modify_Form;
    // The list's sync with a calendar server, when an account is set.
    Calendar_Sync* Calendar_Syncer;
    // The sync's status line at the foot of the window, made at its first
    // message.
    Status_Line_Label* Sync_Status_Label = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // The client area also shrinks when the status line appears.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The find bar comes and goes with its keys: no menu of bars to tick.
    QMenu* createPopupMenu() override { return nullptr; }

private:
    void Create_Controls();
    void Create_Menu();
    void Create_Find_Bar();
    // Hides the find bar and gives the grid the focus, on the row found.
    void Close_Find_Bar();
    void Fit_Controls_Beside_Find_Bar();
    void Show_Find_Bar();
    void Set_Up_Grid();
    // Column titles sort, a double click edits.
    void Connect_Grid_Commands();
    void Column_Title_Click(int col);
    void Row_Double_Click(int row);
    void Fill_Sort_By_Column_RadioGroup();
    void Set_Column_Widths();
    QSize Client_Size() const;
    // Un-minimises the window, leaving a maximised one maximised.
    void Restore_Window();
    // Gives the window the stored outer frame, fitted onto a screen. Until
    // the window manager has framed the window the frame's size is not
    // known; Correct_Placement applies the frame again once it is.
    void Place_Window(const Main_Settings& settings);
    void Correct_Placement();
    // Throws File_Error "Unable to write to <path>".
    void Save_Settings_To_INI_File();
    // The settings file's values, or the defaults when it cannot be read.
    Main_Settings Read_Settings();
    // What the close writes, taken from the window and its forms.
    Main_Settings Current_Settings() const;
    // The dialogs' part of the settings, given when each is made.
    void Apply_Settings_To(TAdd_Modify_Form& dialog) const;
    void Apply_Settings_To(TBirthday_And_Date_Report_Form& report) const;
    void View_In_Notepad(const std::filesystem::path& file);
    // Runs the action in the event loop that follows start-up.
    void When_Loop_Runs(const std::function<void()>& action);
    void Create_Shortcut_In(const char* folder_name, const char* sub_folder);
    // Asks for a file and writes the bytes to it atomically, saying where or
    // why not.
    void Export_List(Exchange_Kind kind, const QString& caption, const QString& default_name,
                     const File_Filter& filter, const QString& suffix,
                     const std::function<std::string()>& bytes);

    // The calendar sync: set up with the window, started at start-up and
    // after each save while an account is set.
    void Set_Up_Calendar_Sync();
    void Read_Calendar_Account();
    // An installed program's first start after a version that kept its files
    // beside the executable: they are copied to the user's folders, once.
    void Copy_Old_Layout_Files_Once();
    void Start_Calendar_Sync();
    bool Take_Synced_Entries(const std::vector<TName_And_Event_Data>& entries);
    void Keep_Calendar_Account(const CalDAV_Account& account);
    void Calendar_Sync_Finished(const Calendar_Sync_Report& report);
    void Show_Sync_Status(const QString& text);

    // Entries taken from an address book. The name cell's hint naming the
    // contact; empty for other entries.
    QString Contact_Hint(const TName_And_Event_Data& entry) const;
    // The hidden-contact keys of the entries from an address book among the
    // `count` entries from position `top`.
    std::vector<std::string> Contact_Keys_In(int top, int count) const;
    // Delete's question for a run holding entries from an address book:
    // whether the user chose to hide them (and delete the others).
    bool Confirmed_Hiding(int top, int count);
    // Adds the keys to the settings' hidden list, or clears it; false, with
    // the failure shown, where the settings could not be written.
    bool Keep_Hidden_Contacts(const std::vector<std::string>& keys);
    bool Show_Hidden_Contacts_Again();
    // Writes the hidden list the change makes of the settings' one.
    bool Change_Hidden_Contacts(
        const std::function<std::vector<std::string>(const std::vector<std::string>&)>& change);
    // The settings' hidden list; empty where the file cannot be read.
    std::vector<std::string> Hidden_Contacts() const;

    // The data file's dated backups take the window's clock, and a backup
    // that could not be kept is said in a message.
    void Set_Up_Backups();
    // Undo right after a restore: asks, and puts back the list the restore
    // replaced. False when the last change was no restore.
    bool Undo_Restore();

    Main_Form_Services services_;
    // The outer frame as the settings hold it, and as it was given to the
    // window after fitting it onto a screen: while the window keeps the
    // latter, the former is what the close stores.
    QRect stored_frame_;
    QRect placed_frame_;
    QMargins frame_margins_;
    bool frame_known_ = false;
    bool placement_pending_ = false;
    bool maximise_after_placement_ = false;
    int placement_tries_ = 0;
    QTimer* placement_timer_ = nullptr;
    // Built once from the regional pattern: the grid, the report and the
    // dialog all show dates alike.
    Short_Date_Formatter short_date_;
    Data_File_Session data_file_;
    Event_List Event_Array;
    Day_Number Last_Refresh_Date = 0;
    // Where the export and import dialogs open, per kind of file.
    Exchange_Folders exchange_folders_;
    int refresh_count_ = 0;
    bool starting_up_ = false;
    bool termination_pending_ = false;
    // A close asked for while start-up ran, carried out after it.
    bool close_pending_ = false;
    // The window closed while the report was up over it.
    bool closed_under_report_ = false;
    // A sync asked for by the menu reports a failure in a message; the
    // automatic ones only in the status line.
    bool sync_asked_by_user_ = false;
    bool sync_failure_shown_ = false;
    // The address books' names as the server last gave them, by URL.
    std::map<std::string, std::string> address_book_names_;
    int refresh_depth_ = 0;
    // The list a restore replaced, while the list is still the restored one.
    std::optional<Event_List> before_restore_;
    std::string restored_bytes_;
    // Kept from start-up for the forms that come later.
    Main_Settings settings_;
    // Every component in design order: the window-scaling record follows it.
    std::vector<QObject*> components_;
};

}  // namespace tessaly
