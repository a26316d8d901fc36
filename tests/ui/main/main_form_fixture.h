#pragma once

#include <gtest/gtest.h>
#include <QDateTime>
#include <QStringList>
#include <QTimer>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/data_file.h"
#include "core/dates.h"
#include "test_support/failing_save.h"
#include "test_support/fake_desktop.h"
#include "test_support/sample_entries.h"
#include "test_support/scripted_file_dialogs.h"
#include "test_support/scripted_message_boxes.h"
#include "test_support/temp_dir.h"
#include "ui/common/clock.h"
#include "ui/main/main_form.h"
#include "widgets/format_string_grid.h"

namespace tessaly::test {

// 7 December 2026 was a Monday.
inline const QDate kMonday(2026, 12, 7);

// The fakes are the fixture's own members: tests set and read them by name.
class Main_Form_Test : public ::testing::Test, protected Fake_Desktop {
protected:
    void TearDown() override {
        if (form) {
            // Leave nothing for the next test's event loop.
            form->Change_Of_Date_Check_Timer->stop();
            form->Hide_Mainform1_Timer->stop();
        }
    }

    std::filesystem::path Data() const { return dir.File("Tessaly.dat"); }

    void Write_Data(const std::vector<Entry>& entries) {
        Save_Data_To_File_ButtonClick(List_Of(entries), Data());
    }

    // The fixture's seams, for a window whose executable is that file.
    Main_Form_Services Services(const std::filesystem::path& executable) {
        return Fake_Desktop::Services(clock, messages, dialogs, executable);
    }

    TMainForm1& Start() {
        form = std::make_unique<TMainForm1>(Services(dir.File("tessaly")));
        form->show();
        return *form;
    }

    TFormatStringGrid& Grid() { return *form->Names_And_Events_StringGrid; }

    QStringList Row(int row) {
        QStringList cells;
        for (int col = 0; col < Grid().Col_Count(); ++col) {
            cells << Grid().Cell(col, row);
        }
        return cells;
    }

    QStringList Names() {
        QStringList names;
        for (int row = 1; row < Grid().Row_Count(); ++row) {
            names << Grid().Cell(0, row);
        }
        return names;
    }

    test::Temp_Dir dir;
    Fake_Clock clock{QDateTime(kMonday, QTime(10, 0))};
    Scripted_Message_Boxes messages;
    Scripted_File_Dialogs dialogs;
    std::unique_ptr<TMainForm1> form;
};

}  // namespace tessaly::test
