#include <QGroupBox>
#include <QStatusBar>
#include <QTest>

#include <filesystem>

#include "core/profile_file.h"
#include "main_form_fixture.h"
#include "modules/sync_module.h"
#include "ui/main/auto_size_label.h"
#include "ui/main/calendar_sync.h"

#include "test_support/wait_until.h"

namespace tessaly::test {
namespace {

QString Sync_Status(const TMainForm1& form) {
    return form.Sync_Status_Label ? form.Sync_Status_Label->text() : QString();
}

// The window whose sync module is missing: the real connection, pointed at
// a file that is not there.
class Main_Form_Sync_Module_Test : public Main_Form_Test {
protected:
    // Started with an account, a password and one entry; its first sync has
    // failed.
    void Start_With_Account() {
        CalDAV_Account account;
        account.Server = "http://127.0.0.1:9/";
        account.User = "ann";
        Profile_File profile;
        Write_CalDAV_Account(profile, account);
        profile.Save(dir.File("Tessaly.ini"));
        secrets.Passwords[{account.Server, account.User}] = "s3cret";
        Write_Data({{"Ann Lee", 1980, 12, 9, "Birthday", ""}});
        data_before_ = Read_Bytes(Data());
        const Main_Form_Services fakes = Services(dir.File("tessaly"));
        form = std::make_unique<TMainForm1>(Main_Form_Services{
            .Time = fakes.Time,
            .Messages = fakes.Messages,
            .Dialogs = fakes.Dialogs,
            .Auto_Start = fakes.Auto_Start,
            .Shell = fakes.Shell,
            .Startup = fakes.Startup,
            .File_System = fakes.File_System,
            .Editor = fakes.Editor,
            .Region = fakes.Region,
            .Links = fakes.Links,
            .Memory = fakes.Memory,
            .Secrets = fakes.Secrets,
            .Calendar_Server = connection_,
            .Calendar_Questions = fakes.Calendar_Questions,
            .Executable_Path = fakes.Executable_Path,
            .Folders = fakes.Folders,
        });
        form->show();
        TESSALY_WAIT_UNTIL_WITHIN(Sync_Status(*form).contains(QStringLiteral("failed")), 10000);
    }

    const std::filesystem::path missing_ = dir.File("gone") / Sync_Module_Name;
    Sync_Module module_{missing_};
    System_Calendar_Connection connection_{module_};
    std::string data_before_;
};

TEST_F(Main_Form_Sync_Module_Test, AMissingModuleIsSaidInTheStatusLineAndNothingChanges) {
    ASSERT_NO_FATAL_FAILURE(Start_With_Account());
    EXPECT_EQ(Sync_Status(*form),
              QStringLiteral("Calendar sync at 10:00 failed: The calendar sync could not be "
                             "started: %1 is missing or does not fit this program's version.")
                  .arg(QString::fromStdString(missing_.string())));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(Read_Bytes(Data()), data_before_) << "no identities given, nothing saved";
    EXPECT_FALSE(std::filesystem::exists(dir.File("Tessaly.sync")));

    // The window runs on; a sync on demand says the same.
    form->Sync_Calendar_Menu_Option->trigger();
    TESSALY_WAIT_UNTIL_WITHIN(!form->Calendar_Syncer->Is_Running(), 10000);
    EXPECT_NE(Sync_Status(*form).indexOf(QStringLiteral("could not be started")), -1);
    EXPECT_EQ(Names(), QStringList{QStringLiteral("Ann Lee")});
}

// A status longer than the window is wide wraps at the design width, the
// controls scaling into what is left, and a short one takes one line again.
TEST_F(Main_Form_Sync_Module_Test, TheWholeStatusShowsAtTheDesignWidthWrappedAndNamed) {
    ASSERT_NO_FATAL_FAILURE(Start_With_Account());
    const int design_width = form->width();
    const Status_Line_Label& line = *form->Sync_Status_Label;
    // The text's lines at the label's width, measured here as a reader would.
    const auto text_height = [&line] {
        return line.fontMetrics()
            .boundingRect(QRect(0, 0, line.contentsRect().width(), 100000), Qt::TextWordWrap,
                          line.text())
            .height();
    };
    const auto whole_text_shown = [&] {
        return line.contentsRect().height() >= text_height() &&
               form->rect().contains(QRect(line.mapTo(form.get(), QPoint(0, 0)), line.size()));
    };
    EXPECT_TRUE(QTest::qWaitFor(whole_text_shown))
        << line.height() << " high for " << text_height();
    EXPECT_GT(line.fontMetrics().horizontalAdvance(line.text()), line.width())
        << "the test's text is wider than the window";
    EXPECT_GE(line.height(), 2 * line.fontMetrics().lineSpacing());
    EXPECT_EQ(form->width(), design_width) << "the window is not widened for it";
    EXPECT_EQ(line.toolTip(), line.text());
    EXPECT_EQ(line.accessibleName(), line.text());
    EXPECT_LE(form->All_GroupBox->mapTo(form.get(), QPoint(0, form->All_GroupBox->height())).y(),
              form->statusBar()->y())
        << "the controls sit above it";

    calendar_questions.account_answers.push_back({CalDAV_Account{}, {}, {}, false});
    form->Calendar_Account_Menu_OptionClick();
    EXPECT_EQ(line.text(), QStringLiteral("The calendar account is forgotten."));
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return line.height() < 2 * line.fontMetrics().lineSpacing();
    })) << line.height();
    EXPECT_TRUE(whole_text_shown());
}

}  // namespace
}  // namespace tessaly::test
