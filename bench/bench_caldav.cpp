// Times tessaly-sync's work against a local calendar server (Radicale): the
// first sync of a full list, the sync right after it, one more with nothing
// changed, and a sync after another client changed one event: once reading only what
// changed, once (the token forgotten) reading every event. Wall time and
// requests sent; the tool runs in-process, so its own start-up (a few
// milliseconds) is left out.
//
// The yardstick, paired in each round: vdirsyncer's first sync of the same
// 500 events, as a folder of .ics files, to a fresh Radicale collection (made
// and discovered before the clock starts). The two take turns going first.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/sync_tool.h"
#include "bench_data.h"
#include "caldav/caldav_client.h"
#include "caldav/curl_transport.h"
#include "core/data_file.h"
#include "core/event_list.h"
#include "sync/event_resource.h"
#include "sync/sync_run.h"
#include "sync/sync_state.h"
#include "sync_tool_timing.h"
#include "test_support/radicale_server.h"
#include "test_support/temp_dir.h"

namespace {

// vdirsyncer's first sync of the list's events, written one a file, to a
// new calendar on a fresh server: milliseconds, or a negative number when
// it failed.
double Time_Vdirsyncer(const tessaly::Event_List& list, std::chrono::sys_seconds now) {
    tessaly::test::Radicale_Server server(
        std::vector<std::pair<std::string, std::string>>{{"ann", "s3cret"}});
    if (!server.Start()) {
        std::fprintf(stderr, "Radicale did not start: %s\n", server.Failure().c_str());
        return -1;
    }
    tessaly::Curl_Transport_Options options;
    options.User = "ann";
    options.Password = "s3cret";
    tessaly::Curl_Transport transport(options);
    tessaly::CalDAV_Client client(transport);
    const std::string calendar =
        client.Make_Calendar(client.Find_Calendar_Home(server.Url()), "Tessaly").Url;

    const tessaly::test::Temp_Dir folder;
    std::filesystem::create_directories(folder.File("events"));
    for (int i = 1; i <= list.Event_Count(); ++i) {
        const std::string uid = tessaly::New_Entry_Uid(list.At(i));
        tessaly::test::Write_Bytes(folder.File("events") / ("entry-" + std::to_string(i) + ".ics"),
                                   tessaly::Entry_Event(list.At(i), uid, now));
    }
    const std::string root = folder.Path().string();
    tessaly::test::Write_Bytes(
        folder.File("config"),
        "[general]\nstatus_path = \"" + root +
            "/status/\"\n[pair bench]\na = \"bench_files\"\n"
            "b = \"bench_server\"\ncollections = null\n[storage bench_files]\ntype = "
            "\"filesystem\"\npath = \"" +
            root +
            "/events/\"\nfileext = \".ics\"\n"
            "[storage bench_server]\ntype = \"caldav\"\nurl = \"" +
            calendar + "\"\nusername = \"ann\"\npassword = \"s3cret\"\n");
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
    const std::size_t written = client.Read_Events(calendar, false).size();
    if (status != 0 || written != static_cast<std::size_t>(list.Event_Count())) {
        std::fprintf(stderr, "vdirsyncer sync ended with %d, %zu events on the server\n", status,
                     written);
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
    constexpr int Kinds = 5;
    const char* names[Kinds] = {"first sync, 500 entries", "sync right after", "no-change sync",
                                "one changed there", "one changed, full read"};
    std::vector<double> times[Kinds];
    int requests[Kinds] = {};
    const bool yardstick = tessaly::bench::Vdirsyncer_Path()[0] != '\0' &&
                           std::filesystem::exists(tessaly::bench::Vdirsyncer_Path());
    std::vector<double> vdirsyncer_times;
    std::vector<double> ratios;
    for (int round = 0; round < rounds; ++round) {
        tessaly::Event_List bench_list;
        tessaly::bench::Fill_Bench_List(bench_list);
        const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
        double vdirsyncer = -1;
        if (yardstick && round % 2 == 1) {
            vdirsyncer = Time_Vdirsyncer(bench_list, now);
        }
        tessaly::test::Radicale_Server server(
            std::vector<std::pair<std::string, std::string>>{{"ann", "s3cret"}});
        if (!server.Start()) {
            std::fprintf(stderr, "Radicale did not start: %s\n", server.Failure().c_str());
            return 1;
        }
        const std::filesystem::path folder =
            tessaly::bench::Make_Scratch_Folder("tessaly-bench-caldav");
        tessaly::Sync_Tool_Environment env;
        env.Folders = tessaly::Portable_Folders(folder);
        env.Now = now;
        tessaly::Save_Data_To_File_ButtonClick(bench_list, tessaly::Data_File_Path(folder));
        if (tessaly::bench::Run_Sync_Tool_Timed(
                {"--set-account", "--server", server.Url(), "--user", "ann", "--password-command",
                 "echo s3cret", "--quiet"},
                env)
                .Status != 0) {
            return 1;
        }
        tessaly::Curl_Transport_Options options;
        options.User = "ann";
        options.Password = "s3cret";
        tessaly::Curl_Transport transport(options);
        tessaly::CalDAV_Client other(transport);
        const std::filesystem::path state_file =
            tessaly::Sync_State_Path(tessaly::Data_File_Path(folder));
        for (int sync = 0; sync < Kinds; ++sync) {
            if (sync >= 3) {
                // Another client gives one event a new description.
                const tessaly::Sync_State state = tessaly::Load_Sync_State(state_file);
                const std::string url = state.Events.at(static_cast<std::size_t>(sync)).Url;
                std::string data = other.Read_Events(state.Calendar_Url, {url}).at(0).Data;
                const std::size_t description = data.find("\nDESCRIPTION:");
                if (description != std::string::npos) {
                    data.insert(description + 13, "changed there: ");
                } else {
                    data.insert(data.find("END:VEVENT"), "DESCRIPTION:changed there\r\n");
                }
                other.Put_Event(url, data, state.Events.at(static_cast<std::size_t>(sync)).Etag);
                if (sync == 4) {
                    tessaly::Sync_State forgotten = state;
                    forgotten.Sync_Token.clear();
                    tessaly::Save_Sync_State(state_file, forgotten);
                }
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
            vdirsyncer = Time_Vdirsyncer(bench_list, now);
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
    figures.Yardstick_Name = "vdirsyncer, 500 .ics files";
    figures.Yardstick_Times = vdirsyncer_times;
    figures.Ratios = ratios;
    tessaly::bench::Print_Sync_Figures(rounds, figures);
    return 0;
}
