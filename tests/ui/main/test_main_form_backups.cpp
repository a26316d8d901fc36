#include <QAction>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/dated_backups.h"
#include "main_form_fixture.h"
#include "ui/dialogs/restore_backup_form.h"

namespace tessaly::test {
namespace {

namespace fs = std::filesystem;

// Answers with the row given, or cancels; keeps what it was offered.
class Scripted_Backup_Prompts final : public Backup_Prompts {
public:
    std::optional<fs::path> Choose_Backup(QWidget*,
                                          const std::vector<Backup_Version>& backups) override {
        offered.push_back(backups);
        if (rows.empty() || !rows.front()) {
            if (!rows.empty()) {
                rows.pop_front();
            }
            return std::nullopt;
        }
        const std::size_t row = *rows.front();
        rows.pop_front();
        return backups.at(row).File;
    }

    std::vector<std::vector<Backup_Version>> offered;
    std::deque<std::optional<std::size_t>> rows;
};

class Backup_Commands_Test : public Main_Form_Test {
protected:
    TMainForm1& Start_With_Prompts() {
        Main_Form_Services services = Services(dir.File("tessaly"));
        services.Backup_Questions = &prompts;
        form = std::make_unique<TMainForm1>(services);
        form->show();
        return *form;
    }

    fs::path Folder() const { return dir.File("Tessaly backups"); }
    std::vector<std::string> Copies() const {
        std::vector<std::string> names;
        if (fs::exists(Folder())) {
            for (const auto& entry : fs::directory_iterator(Folder())) {
                names.push_back(entry.path().filename().string());
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    QString Last_Message() const {
        return messages.shown.empty() ? QString() : messages.shown.back().Text;
    }

    const std::vector<Entry> three = {{"Ann", 1980, 5, 6, "Birthday", ""},
                                      {"Bob", 1975, 7, 8, "Birthday", ""},
                                      {"Cy", 1990, 1, 2, "Birthday", ""}};
    Scripted_Backup_Prompts prompts;
};

TEST_F(Backup_Commands_Test, RestoreBringsBackAnEmptiedListAndUndoTakesItBack) {
    Write_Data(three);
    Start_With_Prompts();
    const std::string full = Read_Bytes(Data());

    // Emptied and saved: the full list is the first copy, named by the
    // window's clock.
    messages.answers = {Message_Answer::Yes};
    form->Reset_Data_Menu_Option->trigger();
    form->Save_Data_To_File_ButtonClick();
    const std::string empty = Read_Bytes(Data());
    ASSERT_EQ(Copies(), std::vector<std::string>({"Tessaly 2026-12-07 10-00-00.dat"}));

    clock.Advance_Seconds(90);
    form->Restore_From_Backup_Menu_Option->trigger();
    ASSERT_EQ(prompts.offered.size(), 1u);
    ASSERT_EQ(prompts.offered[0].size(), 1u);
    EXPECT_EQ(prompts.offered[0][0].Entry_Count, 3);
    // Cancelled: nothing changes.
    EXPECT_EQ(form->List().Event_Count(), 0);

    prompts.rows = {0};
    form->Restore_From_Backup_Menu_Option->trigger();
    EXPECT_EQ(Names(), QStringList({"Ann", "Bob", "Cy"}));
    EXPECT_EQ(Read_Bytes(Data()), full);
    // The emptied list it replaced is a copy of its own.
    EXPECT_EQ(Copies(), std::vector<std::string>({"Tessaly 2026-12-07 10-00-00.dat",
                                                  "Tessaly 2026-12-07 10-01-30.dat"}));
    EXPECT_EQ(Read_Bytes(Folder() / "Tessaly 2026-12-07 10-01-30.dat"), empty);

    // Undo asks, puts the emptied list back and saves it.
    form->Undo_Deletes_Menu_Option->trigger();  // answered No
    EXPECT_EQ(Last_Message(),
              "Do you want to undo the restore? The list goes back to what it was before it, "
              "and is saved.");
    EXPECT_EQ(form->List().Event_Count(), 3);
    messages.answers = {Message_Answer::Yes};
    form->Undo_Deletes_Menu_Option->trigger();
    EXPECT_EQ(form->List().Event_Count(), 0);
    EXPECT_EQ(Read_Bytes(Data()), empty);

    // Undone once: Undo reloads the file as it always does.
    messages.answers = {Message_Answer::Yes};
    form->Undo_Deletes_Menu_Option->trigger();
    EXPECT_TRUE(Last_Message().startsWith("Do you want to Undo all Resets and Deletes"));
    EXPECT_EQ(form->List().Event_Count(), 0);
}

TEST_F(Backup_Commands_Test, AChangeAfterTheRestoreIsWhatUndoTakesBack) {
    Write_Data({three[0]});
    Start_With_Prompts();
    messages.answers = {Message_Answer::Yes};
    form->Reset_Data_Menu_Option->trigger();
    form->Save_Data_To_File_ButtonClick();
    ASSERT_EQ(Copies().size(), 1u);

    prompts.rows = {0};
    form->Restore_From_Backup_Menu_Option->trigger();
    ASSERT_EQ(form->List().Event_Count(), 1);
    Grid().Set_Selection(QRect(QPoint(0, 1), QPoint(6, 1)));
    messages.answers = {Message_Answer::Yes};
    form->Delete_Selected_Rows_Menu_Option->trigger();
    ASSERT_EQ(form->List().Event_Count(), 0);

    // The delete is undone by reloading; the restore stays.
    messages.answers = {Message_Answer::Yes};
    form->Undo_Deletes_Menu_Option->trigger();
    EXPECT_TRUE(Last_Message().startsWith("Do you want to Undo all Resets and Deletes"));
    EXPECT_EQ(Names(), QStringList({"Ann"}));
    messages.answers = {Message_Answer::Yes};
    form->Undo_Deletes_Menu_Option->trigger();
    EXPECT_TRUE(Last_Message().startsWith("Do you want to Undo all Resets and Deletes"));
    EXPECT_EQ(Names(), QStringList({"Ann"}));
}

TEST_F(Backup_Commands_Test, WithoutBackupsOrWithAnUnreadableOneTheListStays) {
    Write_Data(three);
    Start_With_Prompts();
    form->Restore_From_Backup_Menu_Option->trigger();
    EXPECT_TRUE(prompts.offered.empty());
    EXPECT_EQ(Last_Message(),
              "There is no backup of the list yet.\n\nEach save that changes the list keeps the "
              "version it replaces in \"" +
                  QString::fromStdString(Folder().string()) + "\".");

    // A copy that went bad after it was listed.
    Keep_Dated_Backup(Data(), "V1.1\r\n1\r\nAnn\r\n", {2026, 12, 1, 9, 0, 0});
    prompts.rows = {0};
    const fs::path copy = Folder() / "Tessaly 2026-12-01 09-00-00.dat";
    Write_Bytes(copy, "V1.1\r\n2\r\nAnn\r\nnot a date\r\n");
    form->Restore_From_Backup_Menu_Option->trigger();
    EXPECT_EQ(messages.shown.back().Kind, Message_Kind::Error);
    EXPECT_EQ(form->List().Event_Count(), 3);
    EXPECT_EQ(Copies().size(), 1u);
}

TEST_F(Backup_Commands_Test, ABackupThatCannotBeKeptIsSaidAndTheListIsSavedAllTheSame) {
    Write_Data(three);
    Write_Bytes(Folder(), "a file in the way");
    Start_With_Prompts();
    messages.answers = {Message_Answer::Yes};
    form->Reset_Data_Menu_Option->trigger();
    messages.shown.clear();

    form->Save_Data_To_File_ButtonClick();
    EXPECT_EQ(Read_Bytes(Data()), Serialise_Data_File(Event_List()));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Error);
    EXPECT_TRUE(Last_Message().startsWith(
        "The list was saved, but no backup of its previous version was kept: "))
        << Last_Message().toStdString();
    EXPECT_TRUE(Last_Message().contains(QString::fromStdString(Folder().string())));

    // The system ending the program asks nothing and shows nothing.
    TName_And_Event_Data& added = form->List().Append();
    added.Name = "Di";
    added.Orig_Date = Day_Number_Of(1990, 1, 1);
    added.Event_Type = "Birthday";
    form->Save_Before_Termination();
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(form->List().Event_Count(), 1);
}

}  // namespace
}  // namespace tessaly::test
