// Times tessaly-sync taking birthdays from an address book on a local
// Radicale: the first sync of 500 contacts into an empty list (the book read
// whole, then each new entry sent to the calendar), the sync right after, and
// a sync after the phone renamed one contact. Wall time and requests sent;
// the tool runs in-process.
//
// The yardstick, paired in each round: vdirsyncer's first sync of the same
// address book into a folder of .vcf files (discovered before the clock
// starts). The two take turns going first.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/sync_tool.h"
#include "bench_data.h"
#include "caldav/caldav_client.h"
#include "caldav/curl_transport.h"
#include "core/data_file.h"
#include "core/event_list.h"
#include "sync_tool_timing.h"
#include "test_support/radicale_server.h"
#include "test_support/temp_dir.h"

namespace {

constexpr int Contact_Count = 500;

// A phone's contacts: vCard 3.0 and 4.0, one in ten without a birth year.
std::string Contact_Card(int i, const std::string& name) {
    const std::string day = std::to_string(10 + i % 18);
    const std::string month = (i % 12 < 9 ? "0" : "") + std::to_string(1 + i % 12);
    const std::string date =
        i % 10 == 0 ? "--" + month + day : std::to_string(1950 + i % 60) + "-" + month + "-" + day;
    const bool four = i % 2 == 0;
    return std::string("BEGIN:VCARD\r\nVERSION:") + (four ? "4.0" : "3.0") + "\r\nUID:contact-" +
           std::to_string(i) + "\r\nFN:" + name + "\r\nN:" + name + ";;;;\r\nBDAY:" + date +
           "\r\nTEL;TYPE=cell:+44 20 7946 " + std::to_string(1000 + i) + "\r\nEND:VCARD\r\n";
}

struct Book {
    std::string Url;
    bool Made = false;
};

Book Make_Book(tessaly::Http_Transport& transport, const std::string& server) {
    tessaly::CalDAV_Client client(transport);
    Book book;
    book.Url = client.Find_Address_Book_Home(server) + "phone/";
    tessaly::Http_Request mkcol;
    mkcol.Method = "MKCOL";
    mkcol.Url = book.Url;
    mkcol.Body =
        "<?xml version=\"1.0\"?><d:mkcol xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:"
        "carddav\"><d:set><d:prop><d:resourcetype><d:collection/><c:addressbook/>"
        "</d:resourcetype><d:displayname>Phone</d:displayname></d:prop></d:set></d:mkcol>";
    if (transport.Send(mkcol).Status != 201) {
        return book;
    }
    for (int i = 1; i <= Contact_Count; ++i) {
        tessaly::Http_Request put;
        put.Method = "PUT";
        put.Url = book.Url + "contact-" + std::to_string(i) + ".vcf";
        put.Headers = {{"Content-Type", "text/vcard; charset=utf-8"}};
        put.Body = Contact_Card(i, "Contact " + std::to_string(i));
        if (transport.Send(put).Status / 100 != 2) {
            return book;
        }
    }
    book.Made = true;
    return book;
}

// vdirsyncer's first sync of the book into a folder: milliseconds, or a
// negative number when it failed.
double Time_Vdirsyncer(const std::string& book) {
    const tessaly::test::Temp_Dir folder;
    std::filesystem::create_directories(folder.File("contacts"));
    const std::string root = folder.Path().string();
    tessaly::test::Write_Bytes(folder.File("config"),
                               "[general]\nstatus_path = \"" + root +
                                   "/status/\"\n[pair bench]\na = \"bench_files\"\n"
                                   "b = \"bench_server\"\ncollections = null\n[storage "
                                   "bench_files]\ntype = \"filesystem\"\npath = \"" +
                                   root +
                                   "/contacts/\"\nfileext = \".vcf\"\n"
                                   "[storage bench_server]\ntype = \"carddav\"\nurl = \"" +
                                   book + "\"\nusername = \"ann\"\npassword = \"s3cret\"\n");
    const std::string config = folder.File("config").string();
    if (tessaly::bench::Run_And_Wait(tessaly::bench::Vdirsyncer_Path(), {"-c", config, "discover"},
                                     true) != 0) {
        std::fprintf(stderr, "vdirsyncer discover failed\n");
        return -1;
    }
    const auto start = std::chrono::steady_clock::now();
    const int status = tessaly::bench::Run_And_Wait(tessaly::bench::Vdirsyncer_Path(),
                                                    {"-c", config, "sync"}, true);
    const double milliseconds =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const auto files = std::distance(std::filesystem::directory_iterator(folder.File("contacts")),
                                     std::filesystem::directory_iterator());
    if (status != 0 || files != Contact_Count) {
        std::fprintf(stderr, "vdirsyncer sync ended with %d, %td files\n", status, files);
        return -1;
    }
    return milliseconds;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    if (rounds < 1) {
        std::fprintf(stderr, "usage: %s [ROUNDS]\n", argv[0]);
        return 64;
    }
    if (!tessaly::test::Radicale_Server::Available()) {
        std::fprintf(stderr, "%s\n", tessaly::test::Radicale_Server::Missing_Reason().c_str());
        return 77;
    }
    constexpr int Kinds = 3;
    const char* names[Kinds] = {"first sync, 500 contacts", "sync right after",
                                "one contact renamed"};
    std::vector<double> times[Kinds];
    int requests[Kinds] = {};
    const bool yardstick = tessaly::bench::Vdirsyncer_Path()[0] != '\0' &&
                           std::filesystem::exists(tessaly::bench::Vdirsyncer_Path());
    std::vector<double> vdirsyncer_times;
    std::vector<double> ratios;
    for (int round = 0; round < rounds; ++round) {
        tessaly::test::Radicale_Server server(
            std::vector<std::pair<std::string, std::string>>{{"ann", "s3cret"}});
        if (!server.Start()) {
            std::fprintf(stderr, "Radicale did not start: %s\n", server.Failure().c_str());
            return 1;
        }
        tessaly::Curl_Transport_Options options;
        options.User = "ann";
        options.Password = "s3cret";
        tessaly::Curl_Transport transport(options);
        const Book book = Make_Book(transport, server.Url());
        if (!book.Made) {
            std::fprintf(stderr, "the address book could not be filled\n");
            return 1;
        }
        double vdirsyncer = -1;
        if (yardstick && round % 2 == 1) {
            vdirsyncer = Time_Vdirsyncer(book.Url);
        }
        const std::filesystem::path folder =
            tessaly::bench::Make_Scratch_Folder("tessaly-bench-contacts");
        tessaly::Sync_Tool_Environment env;
        env.Folders = tessaly::Portable_Folders(folder);
        env.Now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
        tessaly::Save_Data_To_File_ButtonClick(tessaly::Event_List{},
                                               tessaly::Data_File_Path(folder));
        if (tessaly::bench::Run_Sync_Tool_Timed(
                {"--set-account", "--server", server.Url(), "--user", "ann", "--password-command",
                 "echo s3cret", "--address-book", book.Url, "--quiet"},
                env)
                .Status != 0) {
            return 1;
        }
        for (int sync = 0; sync < Kinds; ++sync) {
            if (sync == 2) {
                tessaly::Http_Request put;
                put.Method = "PUT";
                put.Url = book.Url + "contact-7.vcf";
                put.Headers = {{"Content-Type", "text/vcard; charset=utf-8"}};
                put.Body = Contact_Card(7, "Renamed Seven");
                transport.Send(put);
            }
            const tessaly::bench::Timed_Run run = tessaly::bench::Run_Sync_Tool_Timed({}, env);
            if (run.Status != 0) {
                return 1;
            }
            times[sync].push_back(run.Milliseconds);
            requests[sync] = run.Requests;
        }
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        if (yardstick && round % 2 == 0) {
            vdirsyncer = Time_Vdirsyncer(book.Url);
        }
        if (yardstick) {
            if (vdirsyncer < 0) {
                return 1;
            }
            vdirsyncer_times.push_back(vdirsyncer);
            ratios.push_back(times[0].back() / vdirsyncer);
        }
    }
    tessaly::bench::Sync_Figures figures;
    figures.Names.assign(names, names + Kinds);
    figures.Times.assign(times, times + Kinds);
    figures.Requests.assign(requests, requests + Kinds);
    figures.Yardstick_Name = "vdirsyncer, 500 .vcf files";
    figures.Yardstick_Times = vdirsyncer_times;
    figures.Ratios = ratios;
    tessaly::bench::Print_Sync_Figures(rounds, figures);
    return 0;
}
