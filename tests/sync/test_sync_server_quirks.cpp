// The sync against habits of servers the tests cannot run, played by
// quirky_calendar_server.py over real HTTP: addresses spelled another way in
// every reply, sync tokens refused, writes answered without an ETag.
#include <gtest/gtest.h>
#include <sys/types.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "caldav/http_transport.h"
#include "core/entry_attributes.h"
#include "sync/event_resource.h"
#include "sync/sync_run.h"
#include "sync_folder.h"
#include "test_support/radicale_server.h"
#include "test_support/sample_entries.h"
#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

const auto& Stamp = test::Sync_Stamp;
using Folder = test::Sync_Folder;

Folder Folder_Of(int count) {
    Folder folder;
    for (int i = 0; i < count; ++i) {
        folder.list.push_back(test::List_Of({{"Person-" + std::to_string(i) + " @home", 1980, 1 + i,
                                              2 + i, "Birthday", ""}})
                                  .At(1));
    }
    return folder;
}

// The script on a free loopback port, with the habits given as its options.
class Quirky_Server {
public:
    explicit Quirky_Server(std::vector<std::string> options) : options_(std::move(options)) {}
    ~Quirky_Server() { test::Kill_Server_Process(pid_); }
    Quirky_Server(const Quirky_Server&) = delete;
    Quirky_Server& operator=(const Quirky_Server&) = delete;

    // On the port given, or on a free one.
    bool Start(int port = 0) {
        for (int attempt = 0; attempt < (port == 0 ? 3 : 1) && pid_ < 0; ++attempt) {
            port_ = port == 0 ? test::Unused_Port() : port;
            std::vector<std::string> command = {TESSALY_PYTHON, TESSALY_QUIRKY_SERVER,
                                                "--port",       std::to_string(port_),
                                                "--limit",      "300"};
            command.insert(command.end(), options_.begin(), options_.end());
            pid_ = test::Start_Server_Process(command, folder_.File("log"), port_, failure_);
        }
        return pid_ > 0;
    }
    // The address with the host, port and path written as given; "{port}"
    // stands for the server's.
    std::string Url(std::string authority, const std::string& path) const {
        if (const auto at = authority.find("{port}"); at != std::string::npos) {
            authority.replace(at, 6, std::to_string(port_));
        }
        return "http://" + authority + path;
    }
    const std::string& Failure() const { return failure_; }

private:
    std::vector<std::string> options_;
    test::Temp_Dir folder_;
    int port_ = 0;
    pid_t pid_ = -1;
    std::string failure_;
};

class Sync_Server_Quirks : public ::testing::Test {
protected:
    // False where the fixed port given is taken.
    bool Start(std::vector<std::string> options, int port = 0) {
        server_ = std::make_unique<Quirky_Server>(std::move(options));
        const bool started = server_->Start(port);
        EXPECT_TRUE(started || port != 0) << server_->Failure();
        transport_ = Make_Http_Transport(Http_Transport_Options{});
        other_ = std::make_unique<CalDAV_Client>(*transport_);
        return started;
    }

    // One sync as the program runs it: a client made for the account's
    // address, as the user wrote it this time.
    Sync_Outcome Sync(Folder& folder, const std::string& calendar_url) {
        CalDAV_Client client(*transport_, calendar_url);
        Sync_Outcome outcome = Run_Sync(
            client, calendar_url, folder.list, folder.state,
            [](const Sync_Conflict&) { return Conflict_Choice::Keep_Both; }, Stamp);
        folder.list = outcome.Entries;
        folder.state = outcome.State;
        return outcome;
    }

    static int Changes(const Sync_Outcome& outcome) {
        return outcome.Sent + outcome.Deleted_There + outcome.Taken + outcome.Removed_Here +
               outcome.Conflicts + static_cast<int>(outcome.Skipped.size());
    }

    // Another client edits one event and deletes another: the next sync, at
    // `here`, takes both as changes of the calendar the state knows.
    void Expect_Taken_From_There(Folder& folder, const std::string& there,
                                 const std::string& here) {
        auto events = other_->Read_Events(there);
        ASSERT_GE(events.size(), 2U);
        Event_Entry read = Read_Event_Entry(events[0].Data);
        read.Entry.Comments = "edited there";
        other_->Put_Event(events[0].Url, Entry_Event(read.Entry, read.Uid, Stamp), events[0].Etag);
        other_->Delete_Event(events[1].Url, events[1].Etag);
        const std::size_t count = folder.list.size();
        const Sync_Outcome taken = Sync(folder, here);
        EXPECT_EQ(taken.Taken, 1);
        EXPECT_EQ(taken.Removed_Here, 1);
        EXPECT_EQ(Changes(taken), 2) << "no conflict, nothing sent back";
        EXPECT_FALSE(taken.Compared_Afresh);
        EXPECT_EQ(folder.list.size(), count - 1);
        EXPECT_EQ(Changes(Sync(folder, here)), 0);
    }

    // An edit and a delete here go under the ETags the server gave, without
    // a refusal or a copy.
    void Expect_Sent_From_Here(Folder& folder, const std::string& here, const std::string& then) {
        folder.list[0].Comments = "edited here";
        folder.list.pop_back();
        const Sync_Outcome sent = Sync(folder, here);
        EXPECT_EQ(sent.Sent, 1);
        EXPECT_EQ(sent.Deleted_There, 1);
        EXPECT_EQ(Changes(sent), 2);
        EXPECT_EQ(other_->Read_Events(here).size(), folder.list.size());
        EXPECT_EQ(Changes(Sync(folder, then)), 0);
    }

    std::unique_ptr<Quirky_Server> server_;
    std::unique_ptr<Http_Transport> transport_;
    std::unique_ptr<CalDAV_Client> other_;
};

TEST_F(Sync_Server_Quirks, EverySpellingOfOneCalendarIsThatCalendarAndNothingCountsAsDeleted) {
    const struct {
        const char* Name;
        const char* Spellings;
        // The account's address at the first sync, and as retyped later.
        const char* First_Authority;
        const char* First_Path;
        const char* Later_Authority;
        const char* Later_Path;
        int Port = 0;  // a free one
    } cases[] = {
        {"AllInTurn", "plain,escaped,absolute,slashless", "localhost:{port}", "/cal/",
         "LOCALHOST:{port}", "/cal"},
        {"EscapedAndSlashless", "escaped,slashless", "localhost:{port}", "/cal", "LocalHost:{port}",
         "/%63al/"},
        {"AbsoluteInCapitals", "absolute", "LOCALHOST:{port}", "/./cal/", "localhost:{port}",
         "/x/../cal"},
        // HTTP's own port, written out by the server and by the user or not.
        {"DefaultPort", "with-port,plain", "127.0.0.1", "/cal/", "127.0.0.1:80", "/cal", 80},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        if (!Start({"--spellings", c.Spellings}, c.Port)) {
            std::printf("%s: left out, port %d is taken: %s\n", c.Name, c.Port,
                        server_->Failure().c_str());
            continue;
        }
        Folder folder = Folder_Of(6);
        const std::string first = server_->Url(c.First_Authority, c.First_Path);
        const std::string later = server_->Url(c.Later_Authority, c.Later_Path);
        ASSERT_EQ(Sync(folder, first).Sent, 6);
        // Each sync meets the next spellings of the same events.
        for (const auto& url : {first, later, later, first, later}) {
            const Sync_Outcome again = Sync(folder, url);
            EXPECT_EQ(Changes(again), 0) << url;
            EXPECT_FALSE(again.Compared_Afresh) << url;
            EXPECT_FALSE(again.Stopped) << url;
        }
        Expect_Taken_From_There(folder, first, later);
        Expect_Sent_From_Here(folder, first, later);
    }
}

TEST_F(Sync_Server_Quirks, ARefusedSyncTokenIsFollowedByAFullReadThatChangesNothing) {
    // 403 as RFC 6578 says; others from servers that read it otherwise, and
    // 500 as Xandikos fails on a token it does not have.
    for (const char* status : {"403", "409", "412", "500"}) {
        SCOPED_TRACE(status);
        Start({"--refuse-tokens", status, "--spellings", "plain,escaped"});
        const std::string url = server_->Url("localhost:{port}", "/cal/");
        Folder folder = Folder_Of(5);
        Sync(folder, url);
        // The token kept is the one before the writes, and the server refuses
        // it: one full read.
        EXPECT_EQ(Changes(Sync(folder, url)), 0);
        EXPECT_EQ(Sync(folder, url).Requests, 1) << "the same token: nothing to read";
        const Folder before = folder;

        // The server restarted with a new token and no history before it.
        Http_Request forget;
        forget.Method = "POST";
        forget.Url = server_->Url("localhost:{port}", "/control/forget");
        ASSERT_EQ(transport_->Send(forget).Status, 204);
        const Sync_Outcome full = Sync(folder, url);
        EXPECT_EQ(full.Requests, 3) << "the token, the refused changes, every event";
        EXPECT_EQ(Changes(full), 0);
        EXPECT_FALSE(full.List_Changed);
        EXPECT_FALSE(full.Stopped);
        EXPECT_EQ(folder.list, before.list);
        EXPECT_NE(folder.state.Sync_Token, before.state.Sync_Token) << "the new token is kept";
        EXPECT_EQ(Sync(folder, url).Requests, 1);

        // Changes there while every token is refused: read in full, and met
        // as changes of the calendar the state knows, not as strangers.
        Expect_Taken_From_There(folder, url, url);
    }
}

TEST_F(Sync_Server_Quirks, AWriteAnsweredWithoutAnETagIsReadBackAndKeptTrackOf) {
    for (const char* spellings : {"plain", "escaped,absolute"}) {
        SCOPED_TRACE(spellings);
        Start({"--put-etag", "no", "--spellings", spellings});
        const std::string url = server_->Url("localhost:{port}", "/cal/");
        Folder folder = Folder_Of(5);
        EXPECT_EQ(Sync(folder, url).Sent, 5);
        // The state holds each event under the ETag the server gave it.
        auto events = other_->Read_Events(url);
        ASSERT_EQ(folder.state.Events.size(), 5U);
        for (const auto& kept : folder.state.Events) {
            const auto at = std::find_if(events.begin(), events.end(), [&](const auto& event) {
                return Same_Url(event.Url, kept.Url);
            });
            ASSERT_NE(at, events.end()) << kept.Url;
            EXPECT_EQ(at->Etag, kept.Etag) << kept.Url;
        }
        EXPECT_EQ(Changes(Sync(folder, url)), 0);

        Expect_Sent_From_Here(folder, url, url);
        Expect_Taken_From_There(folder, url, url);
    }
}

}  // namespace
}  // namespace tessaly
