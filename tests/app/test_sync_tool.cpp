// The sync tool run in-process against a real calendar server, with the
// secret store faked.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/sync_tool.h"
#include "caldav/caldav_client.h"
#include "caldav/http_transport.h"
#include "core/data_file.h"
#include "core/entry_attributes.h"
#include "core/profile_file.h"
#include "desktop/fake/fake_secret_store.h"
#include "sync/sync_account.h"
#include "sync/sync_run.h"
#include "sync/sync_state.h"
#include "test_support/radicale_server.h"
#include "test_support/sample_entries.h"
#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

// Hands the tool the test's store, which outlives every run.
class Borrowed_Secret_Store final : public Secret_Store {
public:
    explicit Borrowed_Secret_Store(Secret_Store& store) : store_(store) {}
    std::optional<std::string> Read_Password(const std::string& server,
                                             const std::string& user) override {
        return store_.Read_Password(server, user);
    }
    void Store_Password(const std::string& server, const std::string& user,
                        const std::string& password) override {
        store_.Store_Password(server, user, password);
    }
    void Forget_Password(const std::string& server, const std::string& user) override {
        store_.Forget_Password(server, user);
    }

private:
    Secret_Store& store_;
};

struct Run_Result {
    int Status = -1;
    std::string Out;
    std::string Err;
};

// One Tessaly folder: its list, settings and sync state side by side.
class Tool_Folder {
public:
    explicit Tool_Folder(Fake_Secret_Store& store) {
        env_.Folders = Portable_Folders(folder_.Path());
        env_.Now = std::chrono::sys_seconds{std::chrono::hours{24 * 20795}};
        env_.Open_Secret_Store = [&store] {
            return std::make_unique<Borrowed_Secret_Store>(store);
        };
        env_.Connect_Timeout = std::chrono::seconds(5);
        env_.Timeout = std::chrono::seconds(20);
    }

    Run_Result Run(const std::vector<std::string>& args, const std::string& input = "") const {
        std::istringstream in(input);
        std::ostringstream out;
        std::ostringstream err;
        Run_Result result;
        result.Status = Run_Sync_Tool(args, env_, in, out, err);
        result.Out = out.str();
        result.Err = err.str();
        return result;
    }

    fs::path Data_File() const { return folder_.File("Tessaly.dat"); }
    fs::path Settings_File() const { return folder_.File("Tessaly.ini"); }
    fs::path State_File() const { return Sync_State_Path(Data_File()); }

    void Save_List(const Event_List& list) const {
        Save_Data_To_File_ButtonClick(list, Data_File());
    }
    Event_List Load_List() const {
        Event_List list;
        Load_Data_From_File_ButtonClick(list, Data_File());
        return list;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        const Event_List list = Load_List();
        for (const auto& entry : list.Entries()) {
            names.push_back(entry.Name);
        }
        return names;
    }
    CalDAV_Account Account() const {
        return Read_CalDAV_Account(Profile_File::Load(Settings_File()));
    }

private:
    test::Temp_Dir folder_;
    Sync_Tool_Environment env_;
};

Event_List Three_Entries() {
    return test::List_Of({{"Nora Vale", 1989, 10, 28, "Birthday", "likes tulips"},
                          {"J\xC3\xB6rg \xC3\x85str\xC3\xB6m", 1960, 2, 29, "Birthday", ""},
                          {"Mo and Rita", 2011, 6, 18, "Wedding anniversary", "a; b, c\\ d"}});
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class Sync_Tool : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::Radicale_Server::Available()) {
            GTEST_SKIP() << test::Radicale_Server::Missing_Reason();
        }
        server_ = std::make_unique<test::Radicale_Server>(
            std::vector<std::pair<std::string, std::string>>{{"ann", "s3cret"}});
        ASSERT_TRUE(server_->Start()) << server_->Failure();
    }

    // The account set as a script sets it, the password from a command.
    void Set_Account(const Tool_Folder& folder, const std::string& password = "s3cret") const {
        const Run_Result set = folder.Run({"--set-account", "--server", server_->Url(), "--user",
                                           "ann", "--password-command", "echo " + password});
        ASSERT_EQ(set.Status, sync_status::Synced) << set.Err;
    }

    Fake_Secret_Store store_;
    std::unique_ptr<test::Radicale_Server> server_;
};

TEST_F(Sync_Tool, FirstSyncSendsTheListAndLaterOnesChangeNothing) {
    const Tool_Folder folder(store_);
    Set_Account(folder);
    folder.Save_List(Three_Entries());

    const Run_Result first = folder.Run({});
    ASSERT_EQ(first.Status, sync_status::Synced) << first.Err;
    EXPECT_TRUE(Contains(first.Out, "3 sent")) << first.Out;
    EXPECT_TRUE(first.Err.empty()) << first.Err;
    ASSERT_TRUE(fs::exists(folder.State_File()));
    // The calendar found is kept: later syncs need not look for it.
    EXPECT_EQ(folder.Account().Calendar_Url, server_->Url() + "ann/tessaly/");
    // The entries now carry their UIDs; nothing else of them changed.
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{
                                  "Nora Vale", "J\xC3\xB6rg \xC3\x85str\xC3\xB6m", "Mo and Rita"}));
    const std::string after_first = test::Read_Bytes(folder.Data_File());

    const Run_Result second = folder.Run({});
    ASSERT_EQ(second.Status, sync_status::Synced) << second.Err;
    EXPECT_TRUE(Contains(second.Out, "0 sent")) << second.Out;
    const Run_Result third = folder.Run({"--quiet"});
    EXPECT_EQ(third.Status, sync_status::Synced) << third.Err;
    EXPECT_EQ(third.Out, "");
    EXPECT_EQ(test::Read_Bytes(folder.Data_File()), after_first);
    const Run_Result fourth = folder.Run({});
    EXPECT_TRUE(Contains(fourth.Out, "1 request.")) << fourth.Out;

    // A list lost beside its sync state is brought back, never taken as
    // every entry deleted.
    fs::remove(folder.Data_File());
    const Run_Result lost = folder.Run({});
    EXPECT_EQ(lost.Status, sync_status::Synced) << lost.Err;
    EXPECT_TRUE(Contains(lost.Out, "0 deleted there, 3 taken")) << lost.Out;
    EXPECT_EQ(folder.Load_List().Event_Count(), 3);
}

TEST_F(Sync_Tool, TwoFoldersShareOneListAndAConflictIsKeptBothWays) {
    const Tool_Folder home(store_);
    const Tool_Folder laptop(store_);
    Set_Account(home);
    Set_Account(laptop);
    home.Save_List(Three_Entries());
    ASSERT_EQ(home.Run({"--quiet"}).Status, sync_status::Synced);

    // The laptop has no list yet: the server's events make it.
    ASSERT_FALSE(fs::exists(laptop.Data_File()));
    const Run_Result taken = laptop.Run({});
    ASSERT_EQ(taken.Status, sync_status::Synced) << taken.Err;
    EXPECT_TRUE(Contains(taken.Out, "3 taken")) << taken.Out;
    EXPECT_EQ(laptop.Load_List().Event_Count(), 3);

    // Both change the same entry before either syncs again.
    Event_List at_home = home.Load_List();
    at_home.At(1).Comments = "likes roses";
    home.Save_List(at_home);
    Event_List on_laptop = laptop.Load_List();
    for (int i = 1; i <= on_laptop.Event_Count(); ++i) {
        if (on_laptop.At(i).Name == "Nora Vale") {
            on_laptop.At(i).Comments = "likes lilies";
        }
    }
    laptop.Save_List(on_laptop);
    ASSERT_EQ(home.Run({"--quiet"}).Status, sync_status::Synced);

    const Run_Result conflict = laptop.Run({"--quiet"});
    EXPECT_EQ(conflict.Status, sync_status::Conflicts_Kept_Both) << conflict.Err;
    EXPECT_EQ(conflict.Out, "");
    EXPECT_TRUE(Contains(conflict.Err, "both versions are now in the list")) << conflict.Err;
    std::vector<std::string> comments;
    const Event_List synced = laptop.Load_List();
    for (const auto& entry : synced.Entries()) {
        if (entry.Name == "Nora Vale") {
            comments.push_back(entry.Comments);
        }
    }
    std::sort(comments.begin(), comments.end());
    EXPECT_EQ(comments, (std::vector<std::string>{"likes lilies", "likes roses"}));
}

TEST_F(Sync_Tool, AFailedSyncChangesNoEntryAndTheNextKnowsEveryEntryAfterEdits) {
    const Tool_Folder folder(store_);
    Set_Account(folder, "wrong");
    folder.Save_List(Three_Entries());

    const Run_Result refused = folder.Run({});
    EXPECT_EQ(refused.Status, sync_status::Refused) << refused.Err;
    EXPECT_TRUE(Contains(refused.Err, "Check the user name and the password")) << refused.Err;
    EXPECT_TRUE(Contains(refused.Err, "The account is ann at ")) << refused.Err;
    // Every entry got its identity before the first request, and nothing else.
    const Event_List given = folder.Load_List();
    ASSERT_EQ(given.Event_Count(), 3);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_TRUE(Read_Entry_Uid(given.At(i))) << i;
        auto without = given.At(i);
        without.Spare_1 = Three_Entries().At(i).Spare_1;
        EXPECT_TRUE(Same_Stored_Entry(without, Three_Entries().At(i))) << i;
    }
    const std::string before = test::Read_Bytes(folder.Data_File());

    Set_Account(folder);
    server_->Kill();
    const Run_Result down = folder.Run({});
    EXPECT_EQ(down.Status, sync_status::Server_Failed) << down.Err;
    EXPECT_EQ(test::Read_Bytes(folder.Data_File()), before);
    EXPECT_FALSE(fs::exists(folder.State_File()));

    // Edited and deleted here before the next sync: neither doubled nor back.
    Event_List edited = folder.Load_List();
    edited.At(1).Comments = "edited after the failed sync";
    edited.Remove_Run(2, 1);
    folder.Save_List(edited);
    ASSERT_TRUE(server_->Restart()) << server_->Failure();
    const Run_Result synced = folder.Run({});
    EXPECT_EQ(synced.Status, sync_status::Synced) << synced.Err;
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"Nora Vale", "Mo and Rita"}));
    EXPECT_EQ(folder.Load_List().At(1).Comments, "edited after the failed sync");
}

TEST_F(Sync_Tool, AnEmptiedCalendarStopsTheSyncUntilAnOptionSaysWhatToDo) {
    const Tool_Folder folder(store_);
    Set_Account(folder);
    Event_List list;
    for (int i = 0; i < 8; ++i) {
        list.Append() = Three_Entries().At(1 + i % 3);
        list.At(i + 1).Name += " " + std::to_string(i);
    }
    folder.Save_List(list);
    ASSERT_EQ(folder.Run({"--quiet"}).Status, sync_status::Synced);
    // The server loses its storage; the account is set again.
    server_->Kill();
    server_ = std::make_unique<test::Radicale_Server>(
        std::vector<std::pair<std::string, std::string>>{{"ann", "s3cret"}});
    ASSERT_TRUE(server_->Start()) << server_->Failure();
    Set_Account(folder);
    const Run_Result first = folder.Run({"--quiet"});
    EXPECT_EQ(first.Status, sync_status::Synced) << first.Err << "a new calendar takes the list";
    EXPECT_EQ(folder.Names().size(), 8u);

    // Another client deletes every event.
    const auto state = Load_Sync_State(folder.State_File());
    Http_Transport_Options options;
    options.User = "ann";
    options.Password = "s3cret";
    const auto transport = Make_Http_Transport(options);
    CalDAV_Client phone(*transport);
    for (const auto& event : phone.Read_Events(state.Calendar_Url, false)) {
        phone.Delete_Event(event.Url, event.Etag);
    }
    const std::string before = test::Read_Bytes(folder.Data_File());
    const Run_Result stopped = folder.Run({"--quiet"});
    EXPECT_EQ(stopped.Status, sync_status::Stopped_Before_Deleting) << stopped.Err;
    EXPECT_TRUE(Contains(stopped.Err, "remove 8 of the list's 8 entries")) << stopped.Err;
    EXPECT_TRUE(Contains(stopped.Err, "--keep-everything")) << stopped.Err;
    EXPECT_EQ(test::Read_Bytes(folder.Data_File()), before);

    const Run_Result kept = folder.Run({"--keep-everything"});
    EXPECT_EQ(kept.Status, sync_status::Synced) << kept.Err;
    EXPECT_EQ(phone.Read_Events(state.Calendar_Url, false).size(), 8u);
    EXPECT_EQ(folder.Run({"--allow-deletions", "--keep-everything"}).Status, sync_status::Usage);
}

TEST_F(Sync_Tool, DamagedListOrOpenWindowIsNeverWritten) {
    const Tool_Folder folder(store_);
    Set_Account(folder);
    const std::string damaged = "V1.1\r\n2\r\nNora Vale\r\nnot a date\r\n";
    test::Write_Bytes(folder.Data_File(), damaged);
    const Run_Result unreadable = folder.Run({});
    EXPECT_EQ(unreadable.Status, sync_status::List_Failed);
    EXPECT_TRUE(Contains(unreadable.Err, "Invalid numeric input")) << unreadable.Err;
    EXPECT_EQ(test::Read_Bytes(folder.Data_File()), damaged);
    // Entries past the count would be lost by a save of what was counted.
    const std::string miscounted =
        "V1.1\r\n1\r\nNora Vale\r\n32808\r\nBirthday\r\n\r\n"
        "\r\n\r\n\r\n\r\nMo\r\n40710\r\nBirthday\r\n\r\n"
        "\r\n\r\n\r\n\r\n";
    test::Write_Bytes(folder.Data_File(), miscounted);
    const Run_Result in_part = folder.Run({});
    EXPECT_EQ(in_part.Status, sync_status::List_Failed);
    EXPECT_TRUE(Contains(in_part.Err, "Open it in the window first")) << in_part.Err;
    EXPECT_EQ(test::Read_Bytes(folder.Data_File()), miscounted);

    // A window's lock, held as a running window holds it.
    folder.Save_List(Three_Entries());
    const std::string before = test::Read_Bytes(folder.Data_File());
    const fs::path lock = folder.Data_File().parent_path() / ".Tessaly.dat.lock";
    test::Write_Bytes(lock, std::to_string(::getpid()) + "\ntessaly\nanother-computer\n");
    const int fd = ::open(lock.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    const Run_Result open_window = folder.Run({});
    // It writes its settings back when it closes.
    const std::string settings = test::Read_Bytes(folder.Settings_File());
    const Run_Result set_meanwhile =
        folder.Run({"--set-account", "--server", "http://h/", "--user", "bob"});
    const Run_Result forget_meanwhile = folder.Run({"--forget-account"});
    ::close(fd);
    EXPECT_EQ(open_window.Status, sync_status::Window_Open);
    EXPECT_TRUE(Contains(open_window.Err, "syncs the list itself")) << open_window.Err;
    EXPECT_EQ(set_meanwhile.Status, sync_status::Window_Open);
    EXPECT_EQ(forget_meanwhile.Status, sync_status::Window_Open);
    EXPECT_EQ(test::Read_Bytes(folder.Settings_File()), settings);
    EXPECT_EQ(test::Read_Bytes(folder.Data_File()), before);
    EXPECT_FALSE(fs::exists(folder.State_File()));
}

TEST_F(Sync_Tool, AFullListSyncsButOneCutToFitIsLeftAlone) {
    const Tool_Folder folder(store_);
    Set_Account(folder);
    Event_List full;
    std::string over = "V1.1\r\n501\r\n";
    for (int i = 0; i < Event_Array_Size + 1; ++i) {
        const std::string name = "Person " + std::to_string(i);
        if (i < Event_Array_Size) {
            full.Append().Name = name;
            full.At(i + 1).Orig_Date = 32808 + i;
        }
        over += name + "\r\n" + std::to_string(32808 + i) + "\r\n\r\n\r\n\r\n\r\n\r\n\r\n";
    }
    test::Write_Bytes(folder.Data_File(), over);
    const Run_Result cut = folder.Run({});
    EXPECT_EQ(cut.Status, sync_status::List_Failed);
    EXPECT_TRUE(Contains(cut.Err, "Open it in the window first")) << cut.Err;
    EXPECT_EQ(test::Read_Bytes(folder.Data_File()), over);

    folder.Save_List(full);
    const Run_Result synced = folder.Run({});
    EXPECT_EQ(synced.Status, sync_status::Synced) << synced.Err;
    EXPECT_TRUE(Contains(synced.Out, "500 sent")) << synced.Out;
}

TEST_F(Sync_Tool, WithoutAnAccountOrAPasswordNothingIsTried) {
    const Tool_Folder folder(store_);
    folder.Save_List(Three_Entries());
    const Run_Result none = folder.Run({});
    EXPECT_EQ(none.Status, sync_status::No_Account);
    EXPECT_TRUE(Contains(none.Err, "No calendar account is set")) << none.Err;
    // The daily timer's run: no account is nothing to do.
    const Run_Result timer = folder.Run({"--quiet", "--if-account"});
    EXPECT_EQ(timer.Status, sync_status::Synced);
    EXPECT_EQ(timer.Out + timer.Err, "");
    EXPECT_EQ(folder.Run({"--store-password"}, "s3cret\n").Status, sync_status::No_Account);

    // The secret store: nothing kept, then no store at all.
    ASSERT_EQ(folder.Run({"--set-account", "--server", server_->Url(), "--user", "ann"}).Status,
              sync_status::Synced);
    const Run_Result not_kept = folder.Run({});
    EXPECT_EQ(not_kept.Status, sync_status::No_Account);
    EXPECT_TRUE(Contains(not_kept.Err, "No password is kept for ann")) << not_kept.Err;
    store_.Available = false;
    const Run_Result no_store = folder.Run({});
    EXPECT_EQ(no_store.Status, sync_status::No_Account);
    EXPECT_TRUE(Contains(no_store.Err, "No secret store is running")) << no_store.Err;
    store_.Available = true;

    // A command that fails gives no password.
    ASSERT_EQ(folder
                  .Run({"--set-account", "--server", server_->Url(), "--user", "ann",
                        "--password-command", "echo s3cret; exit 3"})
                  .Status,
              sync_status::Synced);
    const Run_Result failed = folder.Run({});
    EXPECT_EQ(failed.Status, sync_status::No_Account);
    EXPECT_TRUE(Contains(failed.Err, "exit status 3")) << failed.Err;
    EXPECT_FALSE(fs::exists(folder.State_File()));
}

TEST_F(Sync_Tool, SetUpKeepsTheSettingsFindsTheCalendarByNameAndForgets) {
    const Tool_Folder folder(store_);
    const std::string settings = "[Tessaly]\r\nDays=30\r\n; the user's own note\r\n";
    test::Write_Bytes(folder.Settings_File(), settings);

    const Run_Result set = folder.Run({"--set-account", "--server=" + server_->Url(), "--user",
                                       "ann", "--calendar", "Family", "--store-password"},
                                      "s3cret\r\n");
    ASSERT_EQ(set.Status, sync_status::Synced) << set.Err;
    EXPECT_EQ((store_.Passwords[{server_->Url(), "ann"}]), "s3cret");
    const CalDAV_Account account = folder.Account();
    EXPECT_EQ(account.Calendar_Url, server_->Url() + "ann/family/") << "found once, kept as URL";
    EXPECT_EQ(account.Password_Command, "");
    const std::string written = test::Read_Bytes(folder.Settings_File());
    EXPECT_EQ(written.substr(0, settings.size()), settings);

    folder.Save_List(Three_Entries());
    const Run_Result synced = folder.Run({});
    EXPECT_EQ(synced.Status, sync_status::Synced) << synced.Err;
    EXPECT_EQ(Load_Sync_State(folder.State_File()).Calendar_Url, account.Calendar_Url);

    // The default alarm is set with the account and kept when it is set
    // again without one.
    const Run_Result alarm =
        folder.Run({"--set-account", "--server", server_->Url(), "--user", "ann", "--calendar",
                    account.Calendar_Url, "--alarm", "3-days-before"});
    ASSERT_EQ(alarm.Status, sync_status::Synced) << alarm.Err;
    EXPECT_TRUE(Contains(alarm.Out, "alarm 3-days-before")) << alarm.Out;
    ASSERT_EQ(folder
                  .Run({"--set-account", "--server", server_->Url(), "--user", "ann", "--calendar",
                        account.Calendar_Url})
                  .Status,
              sync_status::Synced);
    EXPECT_EQ(folder.Account().Alarm, (Default_Alarm{Default_Alarm::Kind::Days_Before, 3}));

    const Run_Result forgotten = folder.Run({"--forget-account"});
    EXPECT_EQ(forgotten.Status, sync_status::Synced) << forgotten.Err;
    EXPECT_FALSE(folder.Account().Is_Set());
    EXPECT_TRUE(store_.Passwords.empty());
    EXPECT_EQ(test::Read_Bytes(folder.Settings_File()).substr(0, settings.size()), settings);
}

TEST_F(Sync_Tool, AnAddressBookChosenByNameGivesItsBirthdaysAndAnEmptiedOneStopsTheSync) {
    const Tool_Folder folder(store_);
    Set_Account(folder);
    Http_Transport_Options options;
    options.User = "ann";
    options.Password = "s3cret";
    const auto transport = Make_Http_Transport(options);
    const auto send = [&](std::string method, std::string url, std::string body) {
        Http_Request request;
        request.Method = std::move(method);
        request.Url = std::move(url);
        request.Body = std::move(body);
        request.Headers = {{"Content-Type", "text/vcard; charset=utf-8"}};
        return transport->Send(request).Status;
    };
    CalDAV_Client client(*transport);
    const std::string book = client.Find_Address_Book_Home(server_->Url()) + "kin/";
    ASSERT_EQ(send("MKCOL", book,
                   "<?xml version=\"1.0\"?><d:mkcol xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:"
                   "xml:ns:carddav\"><d:set><d:prop><d:resourcetype><d:collection/>"
                   "<c:addressbook/></d:resourcetype><d:displayname>Kin</d:displayname>"
                   "</d:prop></d:set></d:mkcol>"),
              201);
    for (int i = 1; i <= 6; ++i) {
        const std::string id = "k" + std::to_string(i);
        ASSERT_EQ(send("PUT", book + id + ".vcf",
                       "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + id + "\r\nFN:Kin " + id +
                           "\r\nBDAY:--030" + std::to_string(i) + "\r\nEND:VCARD\r\n") /
                      100,
                  2);
    }

    const Run_Result unknown = folder.Run({"--address-book", "Family"});
    EXPECT_EQ(unknown.Status, sync_status::Usage);
    EXPECT_TRUE(Contains(unknown.Err, "no address book named \"Family\"")) << unknown.Err;
    EXPECT_TRUE(Contains(unknown.Err, "\"Kin\" " + book)) << unknown.Err;
    const Run_Result foreign = folder.Run({"--address-book", "http://elsewhere.example/kin/"});
    EXPECT_EQ(foreign.Status, sync_status::Usage);
    EXPECT_TRUE(folder.Account().Address_Books.empty());

    const Run_Result chosen = folder.Run({"--address-book", "Kin"});
    ASSERT_EQ(chosen.Status, sync_status::Synced) << chosen.Err;
    EXPECT_EQ(folder.Account().Address_Books, (std::vector<std::string>{book}));
    const Run_Result listed = folder.Run({"--list-address-books"});
    EXPECT_EQ(listed.Out, "* \"Kin\" " + book + "\n");

    folder.Save_List(Three_Entries());
    const Run_Result synced = folder.Run({});
    ASSERT_EQ(synced.Status, sync_status::Synced) << synced.Err;
    EXPECT_TRUE(Contains(synced.Out, "Address books: 6 added, 0 changed, 0 removed")) << synced.Out;
    EXPECT_TRUE(Contains(synced.Out, "Synced: 9 sent")) << synced.Out;
    EXPECT_EQ(folder.Names().size(), 9U);

    for (int i = 1; i <= 6; ++i) {
        ASSERT_EQ(send("DELETE", book + "k" + std::to_string(i) + ".vcf", "") / 100, 2);
    }
    const Run_Result stopped = folder.Run({});
    EXPECT_EQ(stopped.Status, sync_status::Stopped_Before_Deleting);
    EXPECT_TRUE(Contains(stopped.Err, "remove 6 of the list's 9 entries (their contacts"))
        << stopped.Err;
    EXPECT_EQ(folder.Names().size(), 9U);
    const Run_Result allowed = folder.Run({"--allow-deletions"});
    EXPECT_EQ(allowed.Status, sync_status::Synced) << allowed.Err;
    EXPECT_EQ(folder.Names().size(), 3U);

    const Run_Result cleared = folder.Run({"--no-address-books"});
    EXPECT_EQ(cleared.Status, sync_status::Synced) << cleared.Err;
    EXPECT_TRUE(folder.Account().Address_Books.empty());
}

TEST(Sync_Tool_Usage, MistakesAreRefusedWithStatusTwoBeforeAnythingIsDone) {
    Fake_Secret_Store store;
    const Tool_Folder folder(store);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--set-account", "--server", "http://h/"},
             {"--set-account", "--server", "http://ann:pw@h/", "--user", "u"},
             {"--set-account", "--server", "h", "--user", "u", "--trust-certificate", "AB:CD"},
             {"--set-account", "--server", "h", "--user", "u", "--calendar", "http://other/c/"},
             {"--set-account", "--server", "h", "--user", "u", "--alarm", "0-days-before"},
             {"--set-account", "--server", "h", "--user", "u", "--alarm", "soon"},
             {"--alarm", "none"},
             {"--user", "ann"},
             {"--set-account", "--forget-account"},
             {"--forget-account", "--store-password"},
             {"--forget-account", "--file", "x"},
             {"--address-book", "Kin", "--no-address-books"},
             {"--no-address-books", "--address-book", "Kin"},
             {"--address-book", "Kin", "--forget-account"},
             {"--address-book", ""},
             {"--list-address-books", "--store-password"},
             {"--list-address-books", "--file", "x"},
             {"--quiet=yes"},
             {"--file"},
             {"sync"}}) {
        const Run_Result result = folder.Run(args);
        EXPECT_EQ(result.Status, sync_status::Usage) << args.front();
        EXPECT_TRUE(Contains(result.Err, "Try 'tessaly-sync --help'")) << result.Err;
    }
    EXPECT_FALSE(fs::exists(folder.Settings_File()));
    const Run_Result help = folder.Run({"--help"});
    EXPECT_EQ(help.Status, sync_status::Synced);
    EXPECT_TRUE(Contains(help.Out, "7 the window has the\nlist open")) << help.Out;
}

}  // namespace
}  // namespace tessaly
