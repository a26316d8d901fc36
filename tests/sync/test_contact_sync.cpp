// The address books of the account played by another client writing vCards
// to a real server, with a whole sync session as the window and the
// terminal tool run it.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "caldav/http_transport.h"
#include "core/dates.h"
#include "core/entry_attributes.h"
#include "sync/sync_session.h"
#include "sync/sync_state.h"
#include "sync_folder.h"
#include "test_support/real_server_test.h"
#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

// Hands every request on, noting its method, URL and body.
class Noting_Transport : public Http_Transport {
public:
    Noting_Transport(std::unique_ptr<Http_Transport> inner, std::vector<Http_Request>& sent)
        : inner_(std::move(inner)), sent_(sent) {}
    Http_Response Send(const Http_Request& request) override {
        sent_.push_back(request);
        return inner_->Send(request);
    }

private:
    std::unique_ptr<Http_Transport> inner_;
    std::vector<Http_Request>& sent_;
};

class Memory_List final : public Sync_List {
public:
    std::vector<TName_And_Event_Data> entries;
    std::vector<TName_And_Event_Data> Entries() override { return entries; }
    bool Save(const std::vector<TName_And_Event_Data>&,
              const std::vector<TName_And_Event_Data>& after) override {
        entries = after;
        return true;
    }
};

std::string Card(const std::string& version, const std::string& uid, const std::string& name,
                 const std::string& dates) {
    return "BEGIN:VCARD\r\nVERSION:" + version + "\r\n" +
           (uid.empty() ? "" : "UID:" + uid + "\r\n") + "FN:" + name + "\r\nN:" + name +
           ";;;;\r\n" + dates + "END:VCARD\r\n";
}

class Contact_Sync : public test::Real_Server_Test {
protected:
    void SetUp() override {
        Real_Server_Test::SetUp();
        if (!Started()) {
            return;
        }
        raw_ = Make_Http_Transport(Options());
        CalDAV_Client client(*raw_);
        book_ = client.Find_Address_Book_Home(server_->Url()) + "friends/";
        const Http_Response made = Send("MKCOL", book_,
                                        "<?xml version=\"1.0\" encoding=\"utf-8\"?><d:mkcol "
                                        "xmlns:d=\"DAV:\" xmlns:card=\"urn:ietf:params:xml:ns:"
                                        "carddav\"><d:set><d:prop><d:resourcetype><d:collection/>"
                                        "<card:addressbook/></d:resourcetype><d:displayname>"
                                        "Friends</d:displayname></d:prop></d:set></d:mkcol>",
                                        {{"Content-Type", "application/xml; charset=utf-8"}});
        ASSERT_EQ(made.Status, 201) << made.Body;
        account_.Server = server_->Url();
        account_.User = "ann";
        account_.Address_Books = {book_};
        state_file_ = folder_.Path() / Sync_State_File_Name;
    }

    Http_Response Send(std::string method, std::string url, std::string body,
                       std::vector<std::pair<std::string, std::string>> headers = {}) {
        Http_Request request;
        request.Method = std::move(method);
        request.Url = std::move(url);
        request.Body = std::move(body);
        request.Headers = std::move(headers);
        return raw_->Send(request);
    }

    void Put_Card(const std::string& name, const std::string& card) {
        const Http_Response put = Send("PUT", book_ + name + ".vcf", card,
                                       {{"Content-Type", "text/vcard; charset=utf-8"}});
        ASSERT_EQ(put.Status / 100, 2) << put.Body;
    }

    void Delete_Card(const std::string& name) {
        ASSERT_EQ(Send("DELETE", book_ + name + ".vcf", {}).Status / 100, 2);
    }

    Sync_Session_Result Sync(Deletion_Choice answer = Deletion_Choice::Stop) {
        sent_.clear();
        Sync_Session_Hooks hooks;
        hooks.Connect = [this] {
            return std::make_unique<Noting_Transport>(Make_Http_Transport(Options()), sent_);
        };
        hooks.Ask_Deletions = [this, answer](const Deletion_Question&) {
            ++questions_;
            return answer;
        };
        hooks.Hidden_Contacts = hidden_;
        return Run_Sync_Session(list_, account_, state_file_, test::Sync_Stamp, hooks);
    }

    // The requests of the last sync that went to the address book.
    std::vector<Http_Request> Book_Requests() const {
        std::vector<Http_Request> requests;
        for (const auto& request : sent_) {
            if (request.Url.rfind(book_, 0) == 0) {
                requests.push_back(request);
            }
        }
        return requests;
    }

    // Each entry as name|date|type|comment, sorted.
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        for (const auto& entry : list_.entries) {
            const Civil_Date date = Decode_Date(entry.Orig_Date);
            lines.push_back(entry.Name + "|" + std::to_string(date.Year) + "-" +
                            std::to_string(date.Month) + "-" + std::to_string(date.Day) + "|" +
                            entry.Event_Type + "|" + entry.Comments);
        }
        std::sort(lines.begin(), lines.end());
        return lines;
    }

    std::vector<std::string> Calendar_Names() {
        CalDAV_Client client(*raw_);
        std::vector<std::string> names;
        for (const auto& event :
             client.Read_Events(client.Find_Calendar_Home(server_->Url()) + "tessaly/", true)) {
            const std::size_t at = event.Data.find("X-TESSALY-NAME:") + 15;
            std::string name = event.Data.substr(at, event.Data.find('\n', at) - at);
            if (!name.empty() && name.back() == '\r') {
                name.pop_back();
            }
            names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    test::Temp_Dir folder_;
    std::unique_ptr<Http_Transport> raw_;
    std::string book_;
    CalDAV_Account account_;
    std::filesystem::path state_file_;
    Memory_List list_;
    std::vector<Http_Request> sent_;
    std::vector<std::string> hidden_;
    int questions_ = 0;
};

TEST_P(Contact_Sync, ContactsAddedChangedAndDeletedThereChangeTheirEntriesAndCalendarEvents) {
    if (!Started()) {
        return;
    }
    Put_Card("ann",
             Card("3.0", "ann", "Ann Berg", "BDAY:1980-04-15\r\nX-ANNIVERSARY:2005-06-01\r\n"));
    Put_Card("bo", Card("4.0", "bo", "Bo", "BDAY:--0214\r\n"));
    Put_Card("cy", Card("3.0", "cy", "Cy", "BDAY:1970-01-01\r\n"));
    Put_Card("dee", Card("4.0", "dee", "Dee", "BDAY:19900303\r\n"));
    Put_Card("eve", Card("3.0", "eve", "Eve", "BDAY:1991-05-05\r\n"));
    hidden_ = {"eve/bday"};

    const Sync_Session_Result first = Sync();
    ASSERT_EQ(first.Result, Sync_Session_Result::Kind::Synced);
    EXPECT_EQ(first.Contacts.Added, 5);
    EXPECT_EQ(Lines(),
              (std::vector<std::string>{
                  "Ann Berg|1980-4-15|Birthday|", "Ann Berg|2005-6-1|Wedding Anniversary|",
                  "Bo|1604-2-14|Birthday|", "Cy|1970-1-1|Birthday|", "Dee|1990-3-3|Birthday|"}));
    EXPECT_EQ(first.Outcome.Sent, 5) << "the new entries reach the calendar in the same sync";
    for (auto& entry : list_.entries) {
        ASSERT_TRUE(Read_Contact_Source(entry));
        if (entry.Name == "Bo") {
            EXPECT_EQ(Read_Contact_Source(entry)->Date, "bday");
            EXPECT_TRUE(Read_Entry_Attributes(entry).Year_Unknown);
        }
        if (entry.Event_Type == "Birthday" && entry.Name == "Ann Berg") {
            entry.Comments = "gift";
            Write_Entry_Attributes(entry, {false, 9});
        }
    }
    const auto ann_uid = [this] {
        for (const auto& entry : list_.entries) {
            if (entry.Comments == "gift") {
                return Read_Entry_Uid(entry).value_or("");
            }
        }
        return std::string();
    };
    const std::string uid = ann_uid();

    // Renamed, deleted, a birthday removed; Dee unchanged.
    Put_Card("ann",
             Card("3.0", "ann", "Ann Lind", "BDAY:1980-04-15\r\nX-ANNIVERSARY:2005-06-01\r\n"));
    Delete_Card("cy");
    Put_Card("bo", Card("4.0", "bo", "Bo", "NOTE:no birthday\r\n"));
    const Sync_Session_Result second = Sync();
    ASSERT_EQ(second.Result, Sync_Session_Result::Kind::Synced);
    EXPECT_EQ(second.Contacts.Changed, 2);
    EXPECT_EQ(second.Contacts.Removed, 2);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"Ann Lind|1980-4-15|Birthday|gift",
                                                 "Ann Lind|2005-6-1|Wedding Anniversary|",
                                                 "Dee|1990-3-3|Birthday|"}));
    EXPECT_EQ(ann_uid(), uid) << "the entry stays the same entry";
    for (const auto& entry : list_.entries) {
        if (entry.Comments == "gift") {
            EXPECT_EQ(Read_Entry_Attributes(entry).Own_Lead, 9);
        }
    }
    EXPECT_EQ(Calendar_Names(), (std::vector<std::string>{"Ann Lind", "Ann Lind", "Dee"}));
    // Only the changed contacts were read.
    std::string multiget;
    for (const auto& request : Book_Requests()) {
        if (request.Body.find("addressbook-multiget") != std::string::npos) {
            multiget += request.Body;
        }
    }
    EXPECT_NE(multiget.find("ann.vcf"), std::string::npos) << multiget;
    EXPECT_NE(multiget.find("bo.vcf"), std::string::npos) << multiget;
    EXPECT_EQ(multiget.find("dee.vcf"), std::string::npos) << multiget;

    const Sync_Session_Result unchanged = Sync();
    EXPECT_EQ(unchanged.Contacts.Added + unchanged.Contacts.Changed + unchanged.Contacts.Removed,
              0);
    EXPECT_EQ(Book_Requests().size(), 1U) << "an unchanged book costs one request";

    // Emptied: the guard asks, and stopping changes nothing.
    Delete_Card("ann");
    Delete_Card("bo");
    Delete_Card("dee");
    Delete_Card("eve");
    const auto before = list_.entries;
    const Sync_Session_Result stopped = Sync(Deletion_Choice::Stop);
    EXPECT_EQ(stopped.Result, Sync_Session_Result::Kind::Stopped);
    EXPECT_TRUE(stopped.Contacts.Stopped);
    EXPECT_EQ(questions_, 1);
    EXPECT_EQ(list_.entries.size(), before.size());
    EXPECT_EQ(Calendar_Names().size(), 3U);

    const Sync_Session_Result allowed = Sync(Deletion_Choice::Go_On);
    ASSERT_EQ(allowed.Result, Sync_Session_Result::Kind::Synced);
    EXPECT_EQ(questions_, 2) << "the calendar's deletions that follow are not asked again";
    EXPECT_EQ(allowed.Contacts.Removed, 3);
    EXPECT_TRUE(list_.entries.empty());
    EXPECT_TRUE(Calendar_Names().empty());
}

TEST_P(Contact_Sync, TheBookWinsOverACalendarEditAndAGoneBookKeepsItsEntries) {
    if (!Started()) {
        return;
    }
    Put_Card("ann", Card("3.0", "ann", "Ann", "BDAY:1980-04-15\r\n"));
    ASSERT_EQ(Sync().Contacts.Added, 1);
    // Another client renames the event in the calendar.
    CalDAV_Client client(*raw_);
    const std::string calendar = client.Find_Calendar_Home(server_->Url()) + "tessaly/";
    auto events = client.Read_Events(calendar, true);
    ASSERT_EQ(events.size(), 1U);
    std::string data = events[0].Data;
    const std::size_t at = data.find("SUMMARY:Ann");
    ASSERT_NE(at, std::string::npos);
    data.replace(at, 11, "SUMMARY:Annie");
    client.Put_Event(events[0].Url, data, events[0].Etag);

    const Sync_Session_Result after = Sync();
    ASSERT_EQ(after.Result, Sync_Session_Result::Kind::Synced);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"Ann|1980-4-15|Birthday|"}));
    EXPECT_EQ(Calendar_Names(), (std::vector<std::string>{"Ann"}));

    // The book is gone: reported, its entry kept.
    ASSERT_EQ(Send("DELETE", book_, {}).Status / 100, 2);
    const Sync_Session_Result gone = Sync();
    ASSERT_EQ(gone.Result, Sync_Session_Result::Kind::Synced);
    ASSERT_EQ(gone.Contacts.Books_Not_Read.size(), 1U);
    EXPECT_EQ(gone.Contacts.Books_Not_Read[0].first, book_);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"Ann|1980-4-15|Birthday|"}));
}

INSTANTIATE_TEST_SUITE_P(Servers, Contact_Sync,
                         ::testing::Values(test::Server_Kind::Radicale,
                                           test::Server_Kind::Xandikos),
                         test::Server_Name);

}  // namespace
}  // namespace tessaly
