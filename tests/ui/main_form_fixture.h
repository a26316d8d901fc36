#pragma once

#include <gtest/gtest.h>
#include <QDateTime>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/data_file.h"
#include "core/dates.h"
#include "desktop/fake_desktop_services.h"
#include "test_support/failing_save.h"
#include "test_support/temp_dir.h"
#include "ui/common/clock.h"
#include "ui/common/message_boxes.h"
#include "ui/main/main_form.h"
#include "widgets/format_string_grid.h"

namespace tessaly::test {

// Records every message and answers from a queue; with the queue empty it
// answers as a user who presses OK or No.
class Scripted_Message_Boxes final : public Message_Boxes {
public:
    struct Shown {
        Message_Kind Kind;
        QString Caption;
        QString Text;
    };

    Message_Answer Show(QWidget*, Message_Kind kind, const QString& caption,
                        const QString& text) override {
        shown.push_back({kind, caption, text});
        if (!answers.empty()) {
            const Message_Answer answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return kind == Message_Kind::Error || kind == Message_Kind::Information
                   ? Message_Answer::Ok
                   : Message_Answer::No;
    }

    std::vector<Shown> shown;
    std::deque<Message_Answer> answers;
};

struct Entry {
    std::string Name;
    int Year, Month, Day;
    std::string Event_Type;
    std::string Comments;
};

// 7 December 2026 was a Monday.
inline const QDate kMonday(2026, 12, 7);

class Main_Form_Test : public ::testing::Test {
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
        Event_List list;
        for (const Entry& entry : entries) {
            TName_And_Event_Data& record = list.Append();
            record.Name = entry.Name;
            record.Orig_Date = Day_Number_Of(entry.Year, entry.Month, entry.Day);
            record.Event_Type = entry.Event_Type;
            record.Comments = entry.Comments;
        }
        Save_Data_To_File_ButtonClick(list, Data());
    }

    TMainForm1& Start() {
        form = std::make_unique<TMainForm1>(Main_Form_Services{
            clock, messages, desktop, dir.File("tessaly"), Make_Strftime_Formatter("%d/%m/%Y")});
        form->show();
        return *form;
    }

    TFormatStringGrid& Grid() { return *form->Names_And_Events_StringGrid; }

    QStringList Row(int row) {
        QStringList cells;
        for (int col = 0; col < Grid().colCount(); ++col) {
            cells << Grid().cell(col, row);
        }
        return cells;
    }

    QStringList Names() {
        QStringList names;
        for (int row = 1; row < Grid().rowCount(); ++row) {
            names << Grid().cell(0, row);
        }
        return names;
    }

    test::Temp_Dir dir;
    Fake_Clock clock{QDateTime(kMonday, QTime(10, 0))};
    Scripted_Message_Boxes messages;
    Fake_Desktop_Services desktop;
    std::unique_ptr<TMainForm1> form;
};

}  // namespace tessaly::test
