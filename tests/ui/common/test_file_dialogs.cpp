#include "ui/common/file_dialogs.h"
#include "ui/common/qt_path.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <filesystem>
#include <functional>

#include "test_support/scripted_file_dialogs.h"
#include "test_support/temp_dir.h"
#include "test_support/wait_until.h"
#include "test_support/wine.h"

namespace {

using namespace tessaly;

TEST(File_Dialogs, FiltersBecomeQtTypeListsInTheDialectOfEachSystemsDialogs) {
    using enum Pattern_Dialect;
    struct Row {
        std::vector<File_Filter> Filters;
        bool Ignore_Case;
        Pattern_Dialect Dialect;
        QString Expected;
    };
    const Row rows[] = {
        {{}, false, Sets, QString()},
        {{{"Data files", "*.dat"}}, false, Sets, "Data files (*.dat)"},
        {{{"Data files", "*.dat"}}, false, Wildcards, "Data files (*.dat)"},
        {{{"Lists", "*.txt;*.csv"}, {"All files", "*.*"}},
         false,
         Sets,
         "Lists (*.txt *.csv);;All files (*)"},
        {{{"Lists", "*.txt;*.csv"}, {"All files", "*.*"}},
         true,
         Wildcards,
         "Lists (*.txt *.csv);;All files (*)"},
        {{{"Spaced", " *.a ;  *.b "}}, false, Wildcards, "Spaced (*.a *.b)"},
        // Sets for the desktop's dialogs, which match case; a set given is
        // kept as it is.
        {{{"Lists", "Ab1.txt;*.*;[ab].x"}}, true, Sets, "Lists ([aA][bB]1.[tT][xX][tT] * [ab].x)"},
        {{{"CSV", "*.csv"}}, true, Sets, "CSV (*.[cC][sS][vV])"},
        // Windows' dialog knows no sets, and ignores case itself.
        {{{"CSV", "*.csv"}}, true, Wildcards, "CSV (*.csv)"},
        {{{"Lists", "CORVANE.TXT;*.*"}}, true, Wildcards, "Lists (CORVANE.TXT *)"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(To_Qt_Filter(row.Filters, row.Ignore_Case, row.Dialect), row.Expected);
    }
    // This system's own dialogs get their dialect.
#if defined(_WIN32)
    EXPECT_EQ(To_Qt_Filter({{"CSV", "*.csv"}}, true), "CSV (*.csv)");
#else
    EXPECT_EQ(To_Qt_Filter({{"CSV", "*.csv"}}, true), "CSV (*.[cC][sS][vV])");
#endif
}

TEST(File_Dialogs, EachOptionSetsItsOwnQtOptionOnly) {
    EXPECT_EQ(To_Qt_Options(File_Dialog_Option::None), QFileDialog::Options());
    EXPECT_EQ(To_Qt_Options(File_Dialog_Option::Read_Only),
              QFileDialog::Options(QFileDialog::ReadOnly));
    EXPECT_EQ(To_Qt_Options(File_Dialog_Option::Dont_Resolve_Symlinks),
              QFileDialog::Options(QFileDialog::DontResolveSymlinks));
    EXPECT_EQ(To_Qt_Options(File_Dialog_Option::Hide_Filter_Details),
              QFileDialog::Options(QFileDialog::HideNameFilterDetails));
    EXPECT_EQ(To_Qt_Options(File_Dialog_Option::Dont_Use_Native_Dialog),
              QFileDialog::Options(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(
        To_Qt_Options(File_Dialog_Option::Read_Only | File_Dialog_Option::Dont_Use_Native_Dialog),
        QFileDialog::ReadOnly | QFileDialog::DontUseNativeDialog);
}

class Qt_File_Dialogs_Test : public ::testing::Test {
protected:
    // Acts on the dialog once it is up; `act` must close it.
    void On_Dialog(std::function<void(QFileDialog&)> act) {
        auto* poll = new QTimer(qApp);
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll, act] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;
            }
            poll->stop();
            poll->deleteLater();
            shown = true;
            act(*dialog);
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the dialog stayed open";
                dialog->reject();
            }
        });
        poll->start(1);
    }

    Open_File_Request Request() const {
        return {"Import a list",
                folder.Path(),
                {{"Lists", "*.txt;*.csv"}, {"All files", "*.*"}},
                File_Dialog_Option::Read_Only | File_Dialog_Option::Dont_Use_Native_Dialog};
    }

    test::Temp_Dir folder;
    Qt_File_Dialogs dialogs;
    bool shown = false;
};

TEST_F(Qt_File_Dialogs_Test, TheDialogShowsTheRequestAndReturnsTheChosenFile) {
    const std::filesystem::path file = folder.File("friends.txt");
    test::Write_Bytes(file, "x");
    On_Dialog([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Import a list");
        EXPECT_EQ(QDir(dialog.directory()).canonicalPath(),
                  QDir(To_Qt_Path(folder.Path())).canonicalPath());
        EXPECT_EQ(dialog.nameFilters(), QStringList({"Lists (*.txt *.csv)", "All files (*)"}));
        EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
        EXPECT_TRUE(dialog.testOption(QFileDialog::ReadOnly));
        EXPECT_FALSE(dialog.testOption(QFileDialog::DontResolveSymlinks));
        dialog.selectFile(To_Qt_Path(file));
        // The Open button's slot; accept() itself is not public.
        QMetaObject::invokeMethod(&dialog, "accept");
    });
    const auto chosen = dialogs.Get_Open_File_Name(nullptr, Request());
    EXPECT_TRUE(shown);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(std::filesystem::canonical(*chosen), std::filesystem::canonical(file));
}

TEST_F(Qt_File_Dialogs_Test, AFilterThatIgnoresCaseListsTheNameInAnyCaseAndNothingElse) {
    // Qt's own dialog matches without regard to case anyway; this shows that
    // the patterns made for the desktop's dialogs still list the right files.
#ifdef _WIN32
    GTEST_SKIP() << "two names that differ only in case are one file on Windows";
#endif
    for (const char* name : {"Corvane.txt", "corvane.TXT", "CORVANE.TXT.bak", "other.txt"}) {
        test::Write_Bytes(folder.File(name), "x");
    }
    QStringList listed;
    On_Dialog([&](QFileDialog& dialog) {
        auto* model = dialog.findChild<QFileSystemModel*>();
        ASSERT_NE(model, nullptr);
        const QModelIndex root = model->index(To_Qt_Path(folder.Path()));
        // The model reads the folder in the background.
        TESSALY_WAIT_UNTIL_EQ_WITHIN(model->rowCount(root), 2, 5000);
        for (int row = 0; row < model->rowCount(root); ++row) {
            listed << model->index(row, 0, root).data().toString();
        }
        dialog.reject();
    });
    dialogs.Get_Open_File_Name(
        nullptr, {"Import",
                  folder.Path(),
                  {{"Lists (CORVANE.TXT)", "CORVANE.TXT"}},
                  File_Dialog_Option::Ignore_Case | File_Dialog_Option::Hide_Filter_Details |
                      File_Dialog_Option::Dont_Use_Native_Dialog});
    EXPECT_TRUE(shown);
    listed.sort();
    EXPECT_EQ(listed, QStringList({"Corvane.txt", "corvane.TXT"}));
}

// A long name and a whole date in their columns, and every column in view
// without scrolling sideways.
TEST_F(Qt_File_Dialogs_Test, OpensLargeEnoughToReadEveryColumn) {
    if (test::Running_Under_Wine()) {
        GTEST_SKIP() << test::Wine_Text_Metrics;
    }
    const QString name = "Birthdays and anniversaries from the phone.vcf";
    test::Write_Bytes(folder.File(name.toStdString()), "x");
    const auto check = [&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.viewMode(), QFileDialog::Detail);
        auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
        auto* model = dialog.findChild<QFileSystemModel*>();
        ASSERT_NE(view, nullptr);
        ASSERT_NE(model, nullptr);
        const QModelIndex root = model->index(To_Qt_Path(folder.Path()));
        TESSALY_WAIT_UNTIL_EQ_WITHIN(model->rowCount(root), 1, 5000);
        const QHeaderView& header = *view->header();
        ASSERT_GE(header.count(), 4);
        const QFontMetrics metrics(view->font());
        const QString date = model->index(0, 3, root).data().toString();
        ASSERT_FALSE(date.isEmpty());
        EXPECT_GE(header.sectionSize(0),
                  metrics.horizontalAdvance(name) + view->iconSize().width());
        EXPECT_GE(header.sectionSize(3), metrics.horizontalAdvance(date));
        int columns = 0;
        for (int section = 0; section < header.count(); ++section) {
            columns += header.isSectionHidden(section) ? 0 : header.sectionSize(section);
        }
        EXPECT_LE(columns, view->viewport()->width());
        EXPECT_LE(dialog.frameGeometry().width(), dialog.screen()->availableGeometry().width());
        dialog.reject();
    };
    On_Dialog(check);
    Open_File_Request request = Request();
    request.Filters = {{"Contacts", "*.vcf"}};
    dialogs.Get_Open_File_Name(nullptr, request);
    EXPECT_TRUE(shown);
    shown = false;
    On_Dialog(check);
    dialogs.Get_Save_File_Name(
        nullptr, {"Export", folder.Path(), "list.vcf", {{"Contacts", "*.vcf"}}, "vcf"});
    EXPECT_TRUE(shown);
}

TEST_F(Qt_File_Dialogs_Test, CancelReturnsNoFile) {
    On_Dialog([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(dialogs.Get_Open_File_Name(nullptr, Request()), std::nullopt);
    EXPECT_TRUE(shown);
}

TEST(Scripted_File_Dialogs, AnswersInTurnRecordsEveryRequestAndCancelsWhenOutOfAnswers) {
    test::Scripted_File_Dialogs dialogs;
    dialogs.Choose("/data/a.txt");
    dialogs.Cancel();
    const Open_File_Request first{
        "First", "/data", {{"Lists", "*.txt"}}, File_Dialog_Option::Read_Only};
    const Open_File_Request second{"Second", {}, {}, File_Dialog_Option::None};

    EXPECT_EQ(dialogs.Get_Open_File_Name(nullptr, first), std::filesystem::path("/data/a.txt"));
    EXPECT_EQ(dialogs.Get_Open_File_Name(nullptr, second), std::nullopt);
    EXPECT_EQ(dialogs.Get_Open_File_Name(nullptr, first), std::nullopt);

    ASSERT_EQ(dialogs.requests.size(), 3u);
    EXPECT_EQ(dialogs.requests[0].Caption, "First");
    EXPECT_EQ(dialogs.requests[0].Start_Folder, "/data");
    ASSERT_EQ(dialogs.requests[0].Filters.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].Filters[0].Patterns, "*.txt");
    EXPECT_TRUE(Has_Option(dialogs.requests[0].Options, File_Dialog_Option::Read_Only));
    EXPECT_EQ(dialogs.requests[1].Caption, "Second");
    EXPECT_FALSE(Has_Option(dialogs.requests[1].Options, File_Dialog_Option::Read_Only));
}

}  // namespace
