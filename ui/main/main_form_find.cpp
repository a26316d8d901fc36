// Finding an entry by name, event type or comment: the bar above the list and
// its commands in the Data menu.
#include <QLayout>
#include <QLineEdit>
#include <QToolBar>

#include "ui/main/find_bar.h"
#include "ui/main/main_form.h"
#include "widgets/format_string_grid.h"

namespace tessaly {

namespace {

// Name, event type and comment: what people remember an entry by.
constexpr int Name_Column = 0;
constexpr int Event_Type_Column = 5;
constexpr int Comments_Column = 6;

}  // namespace

void TMainForm1::Create_Find_Bar() {
    Find_ToolBar = Made_On_First_Use<QToolBar>([this] {
        auto* tool_bar = new QToolBar(QStringLiteral("Find"), this);
        tool_bar->setObjectName(QStringLiteral("Find_ToolBar"));
        tool_bar->setMovable(false);
        tool_bar->setFloatable(false);
        auto* bar = new Find_Bar(*Names_And_Events_StringGrid,
                                 {Name_Column, Event_Type_Column, Comments_Column}, tool_bar);
        tool_bar->addWidget(bar);
        addToolBar(Qt::TopToolBarArea, tool_bar);
        tool_bar->hide();
        connect(bar, &Find_Bar::Close_Requested, this, &TMainForm1::Close_Find_Bar);
        return tool_bar;
    });
    Grid_Find_Bar =
        Made_On_First_Use<Find_Bar>([this] { return Find_ToolBar->findChild<Find_Bar*>(); });
}

void TMainForm1::Show_Find_Bar() {
    Find_ToolBar->show();
    Fit_Controls_Beside_Find_Bar();
    Grid_Find_Bar->Start();
}

void TMainForm1::Close_Find_Bar() {
    if (Find_ToolBar.If_Made() == nullptr) {
        return;
    }
    Find_ToolBar->hide();
    Fit_Controls_Beside_Find_Bar();
    Names_And_Events_StringGrid->setFocus(Qt::OtherFocusReason);
}

// The bar takes its height from the window's controls without resizing the
// window, which is what scales them otherwise.
void TMainForm1::Fit_Controls_Beside_Find_Bar() {
    layout()->activate();
    FormResize();
    // The rows scale with the controls: the one found stays in sight.
    Names_And_Events_StringGrid->Scroll_To(0, Names_And_Events_StringGrid->Row());
}

void TMainForm1::Find_Menu_OptionClick() {
    Show_Find_Bar();
}

void TMainForm1::Find_Again_Menu_OptionClick() {
    if (Find_ToolBar->isHidden()) {
        Show_Find_Bar();
    }
    Grid_Find_Bar->Find_Next();
}

void TMainForm1::Find_Previous_Menu_OptionClick() {
    if (Find_ToolBar->isHidden()) {
        Show_Find_Bar();
    }
    Grid_Find_Bar->Find_Previous();
}

}  // namespace tessaly
