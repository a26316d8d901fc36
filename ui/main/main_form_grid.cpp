// The main window's grid: its columns, the list refresh and the sort.
#include <QGroupBox>
#include <QRadioButton>
#include <QShortcut>

#include <array>

#include "core/dates.h"
#include "core/sorting.h"
#include "ui/common/clock.h"
#include "ui/common/text.h"
#include "ui/main/font_followers.h"
#include "ui/main/grid_selection.h"
#include "ui/main/main_form.h"
#include "ui/main/main_form_design.h"
#include "ui/main/radio_group.h"
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

void Show_Sort_Indicator(TFormatStringGrid& grid, const Radio_Group& sort_by,
                         const Radio_Group& order) {
    grid.Set_Sort_Indicator(sort_by.Item_Index(), order.Item_Index() == Sort_Descending
                                                      ? Qt::DescendingOrder
                                                      : Qt::AscendingOrder);
}

// An entry's own lead follows its days left in brackets: "12 (30)".
QString Days_Left_Text(const TName_And_Event_Data& entry) {
    QString text = QString::number(entry.Days_Left);
    if (entry.Own_Lead > 0) {
        text += QStringLiteral(" (%1)").arg(entry.Own_Lead);
    }
    return text;
}

}  // namespace

void TMainForm1::Set_Up_Grid() {
    TFormatStringGrid& grid = *Names_And_Events_StringGrid;
    grid.Set_Col_Count(Column_Count);
    grid.Set_Fixed_Cols(0);
    grid.Set_Fixed_Rows(1);
    grid.Set_FixedLineColor(Qt::black);
    grid.Set_MultiLine(false);
    grid.Set_Default_Row_Height(Grid_Design_Row_Height);
    for (int col = 0; col < Column_Count; ++col) {
        TFormatColumnItem& item = grid.Columns()[col];
        const bool comments = col == Column_Count - 1;
        item.Set_Caption(QString::fromUtf8(Column_Titles[static_cast<std::size_t>(col)]));
        item.Set_HeaderFont(Design_Font(15, !comments));
        item.Set_HeaderAlignment(comments ? Cell_Alignment::Left : Cell_Alignment::Centre);
        item.Set_Font(Design_Font(15, col == 0));
        item.Set_Alignment(col == 0 || comments ? Cell_Alignment::Left : Cell_Alignment::Centre);
    }
}

void TMainForm1::Connect_Grid_Commands() {
    connect(Names_And_Events_StringGrid, &TFormatStringGrid::Fixed_Cell_Clicked, this,
            [this](int col, int) { Column_Title_Click(col); });
    connect(Names_And_Events_StringGrid, &TFormatStringGrid::Cell_Double_Clicked, this,
            [this](int, int row) { Row_Double_Click(row); });
    // The keys a keyboard user expects of a list: Delete removes the
    // selected rows, Enter edits the current one.
    const auto grid_key = [this](const QKeySequence& key, void (TMainForm1::*command)()) {
        auto* shortcut = new QShortcut(key, Names_And_Events_StringGrid);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, command);
    };
    grid_key(QKeySequence(Qt::Key_Delete), &TMainForm1::Delete_Selected_Rows_BitBtnClick);
    grid_key(QKeySequence(Qt::Key_Return), &TMainForm1::Edit_Entry_BitBtnClick);
    grid_key(QKeySequence(Qt::Key_Enter), &TMainForm1::Edit_Entry_BitBtnClick);
}

// Through the radio groups, so that the sort, the refresh and the stored
// choice follow as when the user picks there.
void TMainForm1::Column_Title_Click(int col) {
    if (QRadioButton* sort_by = Sort_By_Column_RadioGroup->Button(col)) {
        if (Sort_By_Column_RadioGroup->Item_Index() != col) {
            sort_by->click();
            return;
        }
        const int order = Ascending_Descending_RadioGroup->Item_Index() == 0 ? 1 : 0;
        if (QRadioButton* other = Ascending_Descending_RadioGroup->Button(order)) {
            other->click();
        }
    }
}

void TMainForm1::Row_Double_Click(int row) {
    if (row < 1 || row > Event_Array.Event_Count()) {
        return;
    }
    Select_Row(*Names_And_Events_StringGrid, row);
    Edit_Entry_BitBtnClick();
}

void TMainForm1::Fill_Sort_By_Column_RadioGroup() {
    Sort_By_Column_RadioGroup->Clear_Items();
    Sort_By_Column_RadioGroup->Set_Columns(Names_And_Events_StringGrid->Col_Count());
    for (int col = 0; col < Names_And_Events_StringGrid->Col_Count(); ++col) {
        Sort_By_Column_RadioGroup->Add_Item(Names_And_Events_StringGrid->Cell(col, 0));
    }
}

void TMainForm1::Set_Column_Widths() {
    TFormatStringGrid& grid = *Names_And_Events_StringGrid;
    const int usable = grid.width() - Grid_Width_Allowance;
    for (int col = 0; col < Column_Count && col < grid.Col_Count(); ++col) {
        grid.Set_Col_Width(col, usable * Column_Width_Percent[static_cast<std::size_t>(col)] / 100);
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

    All_GroupBox->setTitle(QStringLiteral("  %1 events listed,    Today's date is %2, %3")
                               .arg(Event_Array.Event_Count())
                               .arg(QString::fromStdString(Day_Name_Of(today)),
                                    From_File_Text(Format_Short_Date(short_date_, today))));

    Calc_Days_Left_ButtonClick(Event_Array, today);

    // A sort that moved entries refreshes once itself; inside that refresh the
    // list is in order already, so it goes no deeper.
    if (tessaly::Sort_Data_BitBtnClick(Event_Array, Sort_By_Column_RadioGroup->Item_Index(),
                                       Ascending_Descending_RadioGroup->Item_Index()) &&
        refresh_depth_ == 1) {
        Refresh_StringGrid_From_Array_ButtonClick();
    }

    const int count = Event_Array.Event_Count();
    grid.Set_Placeholder_Row(count == 0);
    if (count > 0) {
        grid.Set_Row_Count(count + 1);
    } else {
        grid.Set_Row_Count(2);
        for (int col = 0; col < grid.Col_Count(); ++col) {
            grid.Set_Cell(col, 1, QString());
        }
        grid.Set_Cell_Hint(0, 1, QString());
        Select_Row(grid, 1);
    }

    for (int position = 1; position <= count; ++position) {
        const TName_And_Event_Data& entry = Event_Array.At(position);
        if (entry.Name.empty()) {
            for (int col = 0; col < grid.Col_Count(); ++col) {
                grid.Set_Cell(col, position, QString());
            }
            grid.Set_Cell_Hint(0, position, QString());
            continue;
        }
        grid.Set_Cell(0, position, From_File_Text_On_One_Line(entry.Name));
        grid.Set_Cell_Hint(0, position, Contact_Hint(entry));
        grid.Set_Cell(
            1, position,
            From_File_Text(Format_Entry_Date(short_date_, entry.Orig_Date, entry.Year_Unknown)));
        grid.Set_Cell(2, position,
                      From_File_Text(Format_Short_Date(short_date_, entry.Next_Event)));
        grid.Set_Cell(3, position, Days_Left_Text(entry));
        grid.Set_Cell(4, position,
                      entry.Year_Unknown ? QString() : QString::number(entry.Age_Next));
        grid.Set_Cell(5, position, From_File_Text_On_One_Line(entry.Event_Type));
        grid.Set_Cell(6, position, From_File_Text_On_One_Line(entry.Comments));
    }

    Show_Sort_Indicator(grid, *Sort_By_Column_RadioGroup, *Ascending_Descending_RadioGroup);
    Last_Refresh_Date = today;
}

bool TMainForm1::Sort_Data_BitBtnClick() {
    const bool moved =
        tessaly::Sort_Data_BitBtnClick(Event_Array, Sort_By_Column_RadioGroup->Item_Index(),
                                       Ascending_Descending_RadioGroup->Item_Index());
    if (moved) {
        Refresh_StringGrid_From_Array_ButtonClick();
    } else {
        // The order may be new though nothing had to move.
        Show_Sort_Indicator(*Names_And_Events_StringGrid, *Sort_By_Column_RadioGroup,
                            *Ascending_Descending_RadioGroup);
    }
    return moved;
}

void TMainForm1::Sort_By_Column_RadioGroupClick() {
    Sort_Data_BitBtnClick();
}

void TMainForm1::Ascending_Descending_RadioGroupClick() {
    Sort_Data_BitBtnClick();
}

}  // namespace tessaly
