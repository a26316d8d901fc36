#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <chrono>
#include <memory>
#include <string>

#include "caldav/caldav_url.h"
#include "caldav/curl_transport.h"
#include "core/entry_attributes.h"
#include "core/profile_file.h"
#include "main_form_fixture.h"
#include "sync/event_resource.h"
#include "sync/sync_account.h"
#include "sync/sync_state.h"
#include "test_support/radicale_server.h"
#include "test_support/wait_until.h"
#include "ui/main/auto_size_label.h"
#include "ui/main/calendar_sync.h"

namespace tessaly::test {
namespace {

constexpr int Sync_Wait_Ms = 30000;

// The window against a real calendar server on a loopback port.
class Main_Form_Calendar_Test : public Main_Form_Test {
protected:
    void SetUp() override {
        if (!Radicale_Server::Available()) {
            GTEST_SKIP() << Radicale_Server::Missing_Reason();
        }
        server_ = std::make_unique<Radicale_Server>(
            std::vector<std::pair<std::string, std::string>>{{"ann", "s3cret"}});
        ASSERT_TRUE(server_->Start()) << server_->Failure();
    }

    CalDAV_Account Account() const {
        CalDAV_Account account;
        account.Server = server_->Url();
        account.User = "ann";
        return account;
    }

    // The account set in the settings and its password in the store, as a
    // run before this one left them.
    void Set_Up_Account() {
        Profile_File profile;
        Write_CalDAV_Account(profile, Account());
        profile.Save(dir.File("Tessaly.ini"));
        secrets.Passwords[{server_->Url(), "ann"}] = "s3cret";
    }

    void Wait_For_Sync() {
        TESSALY_WAIT_UNTIL_WITHIN(!form->Calendar_Syncer->Is_Running(), Sync_Wait_Ms);
    }

    QString Status() {
        return form->Sync_Status_Label ? form->Sync_Status_Label->text() : QString();
    }

    // A second client of the same calendar: a phone, say.
    CalDAV_Client& Other_Client() {
        if (!other_client_) {
            Curl_Transport_Options options;
            options.User = "ann";
            options.Password = "s3cret";
            other_transport_ = std::make_unique<Curl_Transport>(options);
            other_client_ = std::make_unique<CalDAV_Client>(*other_transport_);
        }
        return *other_client_;
    }

    std::string Calendar_Url() {
        return Read_CalDAV_Account(Profile_File::Load(dir.File("Tessaly.ini"))).Calendar_Url;
    }

    Event_List Saved_List() {
        Event_List saved;
        Load_Data_From_File_ButtonClick(saved, Data());
        return saved;
    }

    std::unique_ptr<Radicale_Server> server_;
    std::unique_ptr<Curl_Transport> other_transport_;
    std::unique_ptr<CalDAV_Client> other_client_;
};

TEST_F(Main_Form_Calendar_Test, TheAccountFormSetsUpTheSyncAndThePasswordStaysOutOfOurFiles) {
    Write_Data({{"Ann Lee", 1980, 12, 9, "Birthday", ""},
                {"Bo \xC3\x85str\xC3\xB6m", 1992, 2, 29, "Birthday", "a,b;c\\d"}});
    Start();
    EXPECT_EQ(calendar_server.connections, 0) << "no account, no sync";
    EXPECT_EQ(form->findChild<QStatusBar*>(), nullptr) << "the design, without a status line";

    calendar_questions.account_answers.push_back({Account(), "s3cret", {}, false});
    form->Calendar_Account_Menu_Option->trigger();
    Wait_For_Sync();
    EXPECT_TRUE(Status().startsWith(QStringLiteral("Synced with the calendar at 10:00: 2 sent")))
        << Status().toStdString();
    EXPECT_TRUE(messages.shown.empty());
    // The controls move up for the status line.
    const auto exit_bottom = [this] {
        return form->Exit_BitBtn
            ->mapTo(form->centralWidget(), QPoint(0, form->Exit_BitBtn->height()))
            .y();
    };
    TESSALY_WAIT_UNTIL(exit_bottom() <= form->centralWidget()->height());

    // The calendar "Tessaly" was made and is kept for the next runs.
    const std::string calendar = Calendar_Url();
    ASSERT_FALSE(calendar.empty());
    EXPECT_EQ(Other_Client().Read_Events(calendar, false).size(), 2U);
    EXPECT_EQ((secrets.Passwords[{server_->Url(), "ann"}]), "s3cret");
    for (const char* file : {"Tessaly.ini", "Tessaly.dat", "Tessaly.sync"}) {
        EXPECT_EQ(Read_Bytes(dir.File(file)).find("s3cret"), std::string::npos) << file;
    }
    // Each entry keeps its identity in the data file.
    const Event_List saved = Saved_List();
    ASSERT_EQ(saved.Event_Count(), 2);
    EXPECT_TRUE(Read_Entry_Uid(saved.At(1)).has_value());
    EXPECT_TRUE(Read_Entry_Uid(saved.At(2)).has_value());
}

TEST_F(Main_Form_Calendar_Test, ChangesOnTheServerReachTheGridAndTheFile) {
    Set_Up_Account();
    Write_Data({{"Ann Lee", 1980, 12, 9, "Birthday", ""}});
    Start();
    Wait_For_Sync();
    const std::string calendar = Calendar_Url();
    ASSERT_FALSE(calendar.empty());

    // A phone adds an event; the menu command syncs.
    const TName_And_Event_Data phone = List_Of({{"Cy Phone", 1970, 12, 20, "Birthday", ""}}).At(1);
    Other_Client().Put_Event(calendar + "phone-1.ics",
                             Entry_Event(phone, "phone-1@example.org",
                                         std::chrono::sys_seconds(std::chrono::hours(24 * 20000))),
                             std::nullopt);
    form->Sync_Calendar_Menu_Option->trigger();
    Wait_For_Sync();
    EXPECT_TRUE(Names().contains(QStringLiteral("Cy Phone"))) << Names().join(',').toStdString();
    EXPECT_EQ(Saved_List().Event_Count(), 2);
    EXPECT_NE(Status().indexOf(QStringLiteral("1 taken")), -1) << Status().toStdString();
}

TEST_F(Main_Form_Calendar_Test, ContactsReachTheGridAndTheStatusLineAndHiddenOnesStayAway) {
    Other_Client();
    const auto send = [this](const char* method, const std::string& url, std::string body) {
        Http_Request request;
        request.Method = method;
        request.Url = url;
        request.Body = std::move(body);
        request.Headers = {{"Content-Type", "text/vcard; charset=utf-8"}};
        return other_transport_->Send(request).Status / 100;
    };
    const std::string book = Other_Client().Find_Address_Book_Home(server_->Url()) + "phone/";
    ASSERT_EQ(send("MKCOL", book,
                   "<?xml version=\"1.0\"?><d:mkcol xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:"
                   "xml:ns:carddav\"><d:set><d:prop><d:resourcetype><d:collection/>"
                   "<c:addressbook/></d:resourcetype></d:prop></d:set></d:mkcol>"),
              2);
    const auto card = [](const std::string& uid, const std::string& name) {
        return "BEGIN:VCARD\r\nVERSION:4.0\r\nUID:" + uid + "\r\nFN:" + name +
               "\r\nBDAY:19800301\r\nEND:VCARD\r\n";
    };
    ASSERT_EQ(send("PUT", book + "ann.vcf", card("ann", "Ann Book")), 2);
    ASSERT_EQ(send("PUT", book + "bob.vcf", card("bob", "Bob Book")), 2);
    ASSERT_EQ(send("PUT", book + "cy.vcf", card("cy", "Cy Book")), 2);

    // Bob was hidden in an earlier run; the account takes the book.
    Profile_File profile;
    CalDAV_Account account = Account();
    account.Address_Books = {book};
    Write_CalDAV_Account(profile, account);
    Write_Hidden_Contacts(profile, {Hidden_Contact_Key(Contact_Source{book, "bob", "bday"})});
    profile.Save(dir.File("Tessaly.ini"));
    secrets.Passwords[{server_->Url(), "ann"}] = "s3cret";
    Write_Data({{"Own Entry", 1970, 5, 5, "Birthday", ""}});
    const auto sorted_names = [this] {
        QStringList names = Names();
        names.sort();
        return names;
    };
    Start();
    Wait_For_Sync();
    EXPECT_EQ(sorted_names(), (QStringList{"Ann Book", "Cy Book", "Own Entry"}));
    EXPECT_NE(Status().indexOf(QStringLiteral("2 added from the address books")), -1)
        << Status().toStdString();

    // The phone renames Ann and deletes Cy.
    ASSERT_EQ(send("PUT", book + "ann.vcf", card("ann", "Ann Renamed")), 2);
    ASSERT_EQ(send("DELETE", book + "cy.vcf", ""), 2);
    form->Sync_Calendar_Menu_Option->trigger();
    Wait_For_Sync();
    EXPECT_EQ(sorted_names(), (QStringList{"Ann Renamed", "Own Entry"}));
    EXPECT_NE(Status().indexOf(QStringLiteral("1 changed by the address books, 1 removed with its "
                                              "contact")),
              -1)
        << Status().toStdString();
    EXPECT_EQ(Saved_List().Event_Count(), 2);
}

TEST_F(Main_Form_Calendar_Test, AConflictIsAskedAndTheAnswerKept) {
    Set_Up_Account();
    Write_Data({{"Ann Lee", 1980, 12, 9, "Birthday", "first"}});
    Start();
    Wait_For_Sync();
    const std::string calendar = Calendar_Url();

    // The phone changes the comment, and so does the user here.
    auto events = Other_Client().Read_Events(calendar);
    ASSERT_EQ(events.size(), 1U);
    TName_And_Event_Data theirs = form->List().At(1);
    theirs.Comments = "from the phone";
    Other_Client().Put_Event(events[0].Url,
                             Entry_Event(theirs, *Read_Entry_Uid(theirs),
                                         std::chrono::sys_seconds(std::chrono::hours(24 * 20001))),
                             events[0].Etag);
    calendar_questions.conflict_answers.push_back(Conflict_Choice::Keep_Theirs);
    form->List().At(1).Comments = "typed here";
    ASSERT_TRUE(form->Save_After_Change());
    Wait_For_Sync();

    ASSERT_EQ(calendar_questions.asked_conflicts.size(), 1U);
    const Sync_Conflict& asked = calendar_questions.asked_conflicts[0];
    ASSERT_TRUE(asked.Mine && asked.Theirs);
    EXPECT_EQ(asked.Mine->Comments, "typed here");
    EXPECT_EQ(asked.Theirs->Comments, "from the phone");
    EXPECT_EQ(form->List().Event_Count(), 1);
    EXPECT_EQ(form->List().At(1).Comments, "from the phone");
    EXPECT_EQ(Saved_List().At(1).Comments, "from the phone");
}

TEST_F(Main_Form_Calendar_Test, AnEmptiedCalendarIsAskedAboutAndStopChangesNothing) {
    Set_Up_Account();
    Write_Data({{"Ann Lee", 1980, 12, 9, "Birthday", ""},
                {"Bo Berg", 1981, 1, 9, "Birthday", ""},
                {"Cy Carr", 1982, 2, 9, "Wedding", ""}});
    Start();
    Wait_For_Sync();
    const std::string calendar = Calendar_Url();
    for (const auto& event : Other_Client().Read_Events(calendar, false)) {
        Other_Client().Delete_Event(event.Url, event.Etag);
    }
    const std::string before = Read_Bytes(Data());

    form->Sync_Calendar_Menu_Option->trigger();
    Wait_For_Sync();
    ASSERT_EQ(calendar_questions.asked_deletions.size(), 1U);
    EXPECT_EQ(calendar_questions.asked_deletions[0].Deleted_Here, 3);
    EXPECT_EQ(calendar_questions.asked_deletions[0].Local_Count, 3);
    EXPECT_EQ(form->List().Event_Count(), 3);
    EXPECT_EQ(Read_Bytes(Data()), before);
    EXPECT_NE(Status().indexOf(QStringLiteral("Stopped before deleting 3 of the list's 3 entries")),
              -1)
        << Status().toStdString();
    EXPECT_TRUE(messages.shown.empty()) << "the question was the message";
    EXPECT_NE(Deletion_Question_Text(calendar_questions.asked_deletions[0])
                  .indexOf(QStringLiteral("remove 3 of the list's 3 entries")),
              -1);

    calendar_questions.deletion_answers.push_back(Deletion_Choice::Keep_Everything);
    form->Sync_Calendar_Menu_Option->trigger();
    Wait_For_Sync();
    EXPECT_EQ(Other_Client().Read_Events(calendar, false).size(), 3U);
    EXPECT_EQ(form->List().Event_Count(), 3);
    EXPECT_NE(Status().indexOf(QStringLiteral("3 sent")), -1) << Status().toStdString();
}

TEST_F(Main_Form_Calendar_Test, AnEditWhileASyncRunsIsNeitherLostNorOverwritten) {
    Set_Up_Account();
    Write_Data({{"Ann Lee", 1980, 12, 9, "Birthday", ""}, {"Bo", 1990, 1, 2, "Birthday", ""}});
    Start();
    // The start-up sync is on its way when the user edits and saves.
    ASSERT_TRUE(form->Calendar_Syncer->Is_Running());
    form->List().At(2).Comments = "edited during the sync";
    ASSERT_TRUE(form->Save_After_Change());
    Wait_For_Sync();

    const Event_List saved = Saved_List();
    ASSERT_EQ(saved.Event_Count(), 2);
    bool found = false;
    for (const auto& event : Other_Client().Read_Events(Calendar_Url())) {
        found = found || event.Data.find("edited during the sync") != std::string::npos;
    }
    EXPECT_TRUE(found) << "the edit reached the server";
    int edited = 0;
    for (int i = 1; i <= saved.Event_Count(); ++i) {
        edited += saved.At(i).Comments == "edited during the sync" ? 1 : 0;
    }
    EXPECT_EQ(edited, 1);
    EXPECT_TRUE(calendar_questions.asked_conflicts.empty());
}

TEST_F(Main_Form_Calendar_Test, AWrongPasswordOrNoStoreIsSaidAndNothingChanges) {
    Write_Data({{"Ann Lee", 1980, 12, 9, "Birthday", ""}});
    Start();
    const std::string data_before = Read_Bytes(Data());

    CalDAV_Account account = Account();
    calendar_questions.account_answers.push_back({account, "wrong", {}, false});
    form->Calendar_Account_Menu_Option->trigger();
    Wait_For_Sync();
    ASSERT_EQ(messages.shown.size(), 1U);
    EXPECT_TRUE(messages.shown[0].Text.startsWith(QStringLiteral(
        "The calendar server refused the login. Check the user name and the password;")))
        << messages.shown[0].Text.toStdString();
    EXPECT_TRUE(messages.shown[0].Text.contains(
        QStringLiteral("(Details: HTTP 401 from %1")
            .arg(QString::fromStdString(Url_Origin(account.Server)))))
        << messages.shown[0].Text.toStdString();
    // Only the entry's identity was kept, before the first request.
    const Event_List saved = Saved_List();
    ASSERT_EQ(saved.Event_Count(), 1);
    EXPECT_TRUE(Read_Entry_Uid(saved.At(1)).has_value());
    EXPECT_EQ(saved.At(1).Comments, "");
    EXPECT_NE(Read_Bytes(Data()), data_before);
    EXPECT_FALSE(std::filesystem::exists(dir.File("Tessaly.sync")));
    EXPECT_TRUE(Status().startsWith(QStringLiteral("Calendar sync at 10:00 failed")));

    // Without a secret store the password typed serves this run only.
    messages.shown.clear();
    secrets.Available = false;
    calendar_questions.account_answers.push_back({account, "s3cret", {}, false});
    form->Calendar_Account_Menu_Option->trigger();
    Wait_For_Sync();
    ASSERT_EQ(messages.shown.size(), 1U);
    EXPECT_TRUE(messages.shown[0].Text.contains(QStringLiteral("No secret store")));
    EXPECT_TRUE(messages.shown[0].Text.contains(QStringLiteral("only until Tessaly closes")));
    EXPECT_TRUE(Status().startsWith(QStringLiteral("Synced"))) << Status().toStdString();
}

TEST_F(Main_Form_Calendar_Test, AListThatFailedToLoadIsNeverSynced) {
    Set_Up_Account();
    Write_Bytes(Data(), std::string("not a list\r\n", 12));
    messages.answers.clear();
    Start();
    messages.shown.clear();
    EXPECT_FALSE(form->Calendar_Syncer->Is_Running());
    form->Sync_Calendar_Menu_Option->trigger();
    EXPECT_FALSE(form->Calendar_Syncer->Is_Running());
    EXPECT_EQ(calendar_server.connections, 0);
    ASSERT_EQ(messages.shown.size(), 1U);
    EXPECT_TRUE(messages.shown[0].Text.startsWith(QStringLiteral("The list was not read")));
}

}  // namespace
}  // namespace tessaly::test
