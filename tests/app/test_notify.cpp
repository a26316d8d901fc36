// tessaly-report --notify as the built programs run it, against a fake
// notification server on the private session bus that dbus-run-session
// starts for this executable.
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/notification.h"
#include "core/data_file.h"
#include "core/dates.h"
#include "core/event_list.h"
#include "report_tool_expected.h"
#include "test_support/temp_dir.h"

extern char** environ;

namespace tessaly {
namespace {

using test::Tool_Result;

// The exit status, or -1 when the program did not exit by itself.
int Wait(pid_t child) {
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    return -1;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

// The fake server, started before the tool and told to go when the test ends.
class Fake_Server {
public:
    Fake_Server(const std::filesystem::path& record, bool markup) {
        int to_server[2] = {-1, -1};
        int from_server[2] = {-1, -1};
        if (::pipe2(to_server, O_CLOEXEC) != 0 || ::pipe2(from_server, O_CLOEXEC) != 0) {
            ADD_FAILURE() << "no pipes";
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, to_server[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, from_server[1], STDOUT_FILENO);
        std::vector<std::string> args = {TESSALY_FAKE_NOTIFICATION_SERVER, record.string()};
        if (markup) {
            args.emplace_back("--markup");
        }
        if (posix_spawn(&pid_, args[0].c_str(), &actions, nullptr, Pointers(args).data(),
                        environ) != 0) {
            pid_ = 0;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(to_server[0]);
        ::close(from_server[1]);
        input_ = to_server[1];
        // It prints "ready" once it owns the name.
        std::string said;
        pollfd output = {from_server[0], POLLIN, 0};
        char byte = 0;
        while (pid_ > 0 && said.find('\n') == std::string::npos && ::poll(&output, 1, 10000) > 0 &&
               ::read(from_server[0], &byte, 1) == 1) {
            said += byte;
        }
        ::close(from_server[0]);
        if (said != "ready\n") {
            ADD_FAILURE() << "the fake notification server did not start: '" << said << "'";
        }
    }

    ~Fake_Server() {
        // Closing its input makes it give up the name and exit.
        ::close(input_);
        EXPECT_EQ(Wait(pid_), 0) << "the fake notification server failed";
    }

    Fake_Server(const Fake_Server&) = delete;
    Fake_Server& operator=(const Fake_Server&) = delete;

private:
    pid_t pid_ = 0;
    int input_ = -1;
};

struct Entry {
    std::string Name;
    Day_Number First_Date;
    std::string Event_Type = "Birthday";
};

// The built tool and notifier, copied into a folder of their own, as they
// lie in the build: the tool finds the notifier beside itself.
class Notify_Test : public testing::Test {
protected:
    Notify_Test() {
        std::filesystem::copy_file(TESSALY_REPORT_TOOL_PATH, folder_.File("tessaly-report"));
        std::filesystem::copy_file(TESSALY_NOTIFIER_PATH, folder_.File("tessaly-notify"));
    }

    void Write_Data(const std::vector<Entry>& entries) const {
        Event_List list;
        for (const Entry& entry : entries) {
            TName_And_Event_Data& added = list.Append();
            added.Name = entry.Name;
            added.Orig_Date = entry.First_Date;
            added.Event_Type = entry.Event_Type;
        }
        Save_Data_To_File_ButtonClick(list, folder_.File("Tessaly.dat"));
    }

    // `--notify` on the data file as of Monday 7 December 2026, with
    // `variables` ("NAME=value") added to the environment.
    Tool_Result Notify(const std::vector<std::string>& variables = {}) const {
        std::vector<std::string> args = {folder_.File("tessaly-report").string(),
                                         "--notify",
                                         "--date",
                                         "2026-12-07",
                                         "--date-format",
                                         "%d/%m/%Y",
                                         "--days",
                                         "14"};
        std::vector<std::string> settings;
        for (char** variable = environ; *variable != nullptr; ++variable) {
            const std::string_view setting = *variable;
            const std::string_view name = setting.substr(0, setting.find('=') + 1);
            if (std::none_of(variables.begin(), variables.end(), [name](const std::string& added) {
                    return added.starts_with(name);
                })) {
                settings.emplace_back(setting);
            }
        }
        settings.insert(settings.end(), variables.begin(), variables.end());

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string out = folder_.File("out").string();
        const std::string err = folder_.File("err").string();
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t child = 0;
        if (posix_spawn(&child, args[0].c_str(), &actions, nullptr, Pointers(args).data(),
                        Pointers(settings).data()) != 0) {
            child = 0;
        }
        posix_spawn_file_actions_destroy(&actions);
        Tool_Result result;
        result.Status = Wait(child);
        result.Out = test::Read_Bytes(out);
        result.Err = test::Read_Bytes(err);
        return result;
    }

    // What the server was sent: every Notify call, empty for none.
    std::string Calls() const {
        return std::filesystem::exists(record_) ? test::Read_Bytes(record_) : std::string();
    }

    static std::string Expected_Call(int urgency, const std::string& body) {
        return "Notify susssasa{sv}i\n"
               "app_name: Tessaly\n"
               "replaces_id: 0\n"
               "app_icon: org.example.Tessaly\n"
               "summary: Coming Birthdays and Events\n"
               "actions: \n"
               "hint desktop-entry: org.example.Tessaly (QString)\n"
               "hint urgency: " +
               std::to_string(urgency) +
               " (byte)\n"
               "expire_timeout: -1\n"
               "body:\n" +
               body + "\n.\n";
    }

    test::Temp_Dir folder_;
    std::filesystem::path record_ = folder_.File("calls");
};

TEST_F(Notify_Test, PostsTheEntriesDueAsOneNormalNotification) {
    Write_Data({{"Later", Encode_Date(1990, 12, 30)},
                {"Tom & <Jerry>", Encode_Date(2020, 12, 12)},
                {"Nora Vale", Encode_Date(1986, 12, 8)}});
    const Fake_Server server(record_, false);
    const Tool_Result result = Notify();
    EXPECT_EQ(result.Status, 0) << result.Err;
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(result.Err, "");
    // The report's lines in its order, without its indent; the server takes
    // no markup, so the text goes as it is.
    EXPECT_EQ(Calls(), Expected_Call(1,
                                     "1.  Nora Vale's 40th Birthday tomorrow (Tue, 08/12/2026)\n"
                                     "2.  Tom & <Jerry>'s 6th Birthday in 5 days (Sat, "
                                     "12/12/2026)"));
}

TEST_F(Notify_Test, EscapesTheBodyForAServerThatTakesMarkup) {
    Write_Data({{"Tom & <Jerry>", Encode_Date(2020, 12, 12)}});
    const Fake_Server server(record_, true);
    EXPECT_EQ(Notify().Status, 0);
    EXPECT_EQ(Calls(), Expected_Call(1,
                                     "1.  Tom &amp; &lt;Jerry&gt;'s 6th Birthday in 5 days "
                                     "(Sat, 12/12/2026)"));
}

TEST_F(Notify_Test, AnEntryDueTodayMakesItCritical) {
    Write_Data({{"Tomorrow", Encode_Date(2000, 12, 8)}, {"Nora Vale", Encode_Date(1986, 12, 7)}});
    const Fake_Server server(record_, false);
    EXPECT_EQ(Notify().Status, 0);
    EXPECT_EQ(Calls(), Expected_Call(2,
                                     "1.  Nora Vale's 40th Birthday today (Mon, 07/12/2026)\n"
                                     "2.  Tomorrow's 26th Birthday tomorrow (Tue, 08/12/2026)"));
}

// Ten entries are all shown; from eleven on the rest are counted.
TEST_F(Notify_Test, ShowsTenLinesThenHowManyMore) {
    const auto due_daily = [](int count) {
        std::vector<Entry> list;
        for (int i = 0; i < count; ++i) {
            list.push_back({"Person " + std::to_string(i + 1), Encode_Date(2000, 12, 8 + i)});
        }
        return list;
    };
    const auto body_lines = [](const std::string& call) {
        const std::string body = call.substr(call.find("body:\n") + 6);
        return std::count(body.begin(), body.end(), '\n') - 1;  // less the closing "."
    };
    const std::string tenth = "\n10.  Person 10's 26th Birthday in 10 days (Thu, 17/12/2026)\n";

    Write_Data(due_daily(10));
    {
        const Fake_Server server(record_, false);
        EXPECT_EQ(Notify().Status, 0);
    }
    std::string call = Calls();
    EXPECT_TRUE(call.ends_with(tenth + ".\n")) << call;
    EXPECT_EQ(body_lines(call), 10) << call;

    std::filesystem::remove(record_);
    Write_Data(due_daily(13));
    const Fake_Server server(record_, false);
    EXPECT_EQ(Notify().Status, 0);
    call = Calls();
    EXPECT_TRUE(call.ends_with(tenth + "and 3 more\n.\n")) << call;
    EXPECT_EQ(body_lines(call), 11) << call;
}

// A name of 128 KiB once stopped every later notification: the body went on
// the notifier's command line, where it did not fit.
TEST_F(Notify_Test, AVeryLongNameIsCutAndTheBodyStaysOffTheCommandLine) {
    const std::string long_name(128 * 1024, 'L');
    Write_Data({{long_name, Encode_Date(1986, 12, 8)}, {"Nora Vale", Encode_Date(1986, 12, 9)}});
    const Fake_Server server(record_, false);
    const Tool_Result result = Notify();
    EXPECT_EQ(result.Status, 0) << result.Err;
    EXPECT_EQ(result.Err, "");
    const std::string cut = long_name.substr(0, Notification_Field_Length - 1) + "\u2026";
    EXPECT_EQ(Calls(), Expected_Call(1, "1.  " + cut +
                                            "'s 40th Birthday tomorrow (Tue, 08/12/2026)\n"
                                            "2.  Nora Vale's 40th Birthday in 2 days (Wed, "
                                            "09/12/2026)"));
    // Any user of the computer can read a command line.
    const std::string caller = test::Read_Bytes(record_.string() + ".caller");
    EXPECT_EQ(caller, folder_.File("tessaly-notify").string() + std::string("\0normal\0", 8));
}

TEST_F(Notify_Test, ControlCharactersInANameNeitherAddLinesNorReachTheServer) {
    std::vector<Entry> entries;
    for (int i = 0; i < 10; ++i) {
        entries.push_back({"Person " + std::to_string(i + 1), Encode_Date(2000, 12, 8 + i)});
    }
    entries[0].Name = "Ann\n2.  Forged\n3.  Lines\x1b]0;title\x07";
    Write_Data(entries);
    const Fake_Server server(record_, false);
    EXPECT_EQ(Notify().Status, 0);
    const std::string call = Calls();
    const std::string body = call.substr(call.find("body:\n") + 6);
    EXPECT_TRUE(
        body.starts_with("1.  Ann 2.  Forged 3.  Lines?]0;title?'s 26th Birthday "
                         "tomorrow (Tue, 08/12/2026)\n2.  Person 2's"))
        << body;
    EXPECT_EQ(std::count(body.begin(), body.end(), '\n') - 1, 10) << body;
}

TEST_F(Notify_Test, NothingDueGivesStatusOneAndNoNotification) {
    const Fake_Server server(record_, false);
    Write_Data({{"Later", Encode_Date(1990, 12, 30)}});
    Tool_Result result = Notify();
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Err,
              "tessaly-report: nothing is due within the next 14 days: no notification shown\n");

    Write_Data({});
    result = Notify();
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Err, "Error: There are no entries in the list.\n");
    EXPECT_EQ(Calls(), "");
}

TEST_F(Notify_Test, WithoutAServerSaysSoAndGivesStatus69) {
    Write_Data({{"Nora Vale", Encode_Date(1986, 12, 8)}});
    Tool_Result result = Notify();
    EXPECT_EQ(result.Status, 69);
    EXPECT_EQ(result.Err,
              "tessaly-report: no notification can be shown: no notification server is running "
              "(nothing on the session bus provides org.freedesktop.Notifications)\n");

    result = Notify({"DBUS_SESSION_BUS_ADDRESS=unix:path=" + folder_.File("no-bus").string()});
    EXPECT_EQ(result.Status, 69);
    EXPECT_TRUE(result.Err.starts_with(
        "tessaly-report: no notification can be shown: there is no session bus ("))
        << result.Err;

    std::filesystem::remove(folder_.File("tessaly-notify"));
    result = Notify();
    EXPECT_EQ(result.Status, 69);
    EXPECT_EQ(
        result.Err,
        "tessaly-report: desktop notifications are not available: "
        "tessaly-notify is neither in \"" +
            folder_.Path().string() + "\" nor in \"" +
            (folder_.Path() / TESSALY_NOTIFIER_FOLDER_FROM_BINDIR).lexically_normal().string() +
            "\"\n");
}

}  // namespace
}  // namespace tessaly
