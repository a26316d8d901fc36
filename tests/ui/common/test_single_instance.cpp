#include "ui/common/single_instance.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMainWindow>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTest>

#if !defined(_WIN32)
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "test_support/temp_dir.h"
#include "ui/common/qt_path.h"
#include "ui/common/single_instance_platform.h"
#if !defined(_WIN32)
#include "test_support/scoped_environment.h"
#endif

namespace {

namespace fs = std::filesystem;
using tessaly::Acquire_Result;
using tessaly::Instance_Outcome;
using tessaly::Single_Instance;
using tessaly::test::Temp_Dir;
using tessaly::test::Write_Bytes;

// A caller that speaks to the running window by hand.
class Raw_Caller {
public:
    explicit Raw_Caller(const fs::path& data_file) {
        // A Windows server has one pipe waiting at a time: the next is made
        // once the event loop hands the last one its caller.
        QElapsedTimer clock;
        clock.start();
        auto result = tessaly::detail::Connect_To_Server(Single_Instance::Server_Name(data_file));
        while (result.Status == tessaly::detail::Connect_Status::Busy && clock.elapsed() < 2000) {
            QTest::qWait(10);
            result = tessaly::detail::Connect_To_Server(Single_Instance::Server_Name(data_file));
        }
        link_ = std::move(result.Link);
        if (link_) {
            link_->Received = [this](const QByteArray& bytes) {
                reply_ += bytes;
                closed_ = closed_ || bytes.isEmpty();
            };
        }
    }
    bool Connected() const { return link_ != nullptr; }
    void Send(const QByteArray& bytes) {
        if (link_ && !bytes.isEmpty()) {
            link_->Send(bytes);
        }
    }
    bool Wait_Closed(int ms) {
        return QTest::qWaitFor([&] { return closed_; }, ms);
    }
    bool Closed() const { return closed_; }
    const QByteArray& Reply() const { return reply_; }

private:
    std::unique_ptr<tessaly::detail::Activation_Link> link_;
    QByteArray reply_;
    bool closed_ = false;
};

#if !defined(_WIN32)
using tessaly::test::Scoped_Environment;

// A process that stays alive until the object goes, for a lock "held" by
// someone else.
class Live_Child {
public:
    Live_Child() {
        int fds[2];
        if (::pipe(fds) != 0) {
            throw std::runtime_error("pipe failed");
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[1]);
            char byte;
            // Returns when the parent closes its end.
            [[maybe_unused]] const ssize_t got = ::read(fds[0], &byte, 1);
            ::_exit(0);
        }
        ::close(fds[0]);
        release_ = fds[1];
    }
    ~Live_Child() {
        ::close(release_);
        ::waitpid(pid_, nullptr, 0);
    }
    Live_Child(const Live_Child&) = delete;
    Live_Child& operator=(const Live_Child&) = delete;
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int release_ = -1;
};

pid_t Dead_Pid() {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(0);
    }
    ::waitpid(pid, nullptr, 0);
    return pid;
}

#endif

// A lock file as another run of this program would have written it.
[[maybe_unused]] void Write_Lock(const fs::path& data_file, long long pid,
                                 const QByteArray& boot_id = QSysInfo::bootUniqueId()) {
    // The program name as QLockFile writes it: without ".exe" on Windows.
    const QByteArray name = QCoreApplication::applicationName().toUtf8();
    const QByteArray content = QByteArray::number(pid) + '\n' + name + '\n' +
                               QSysInfo::machineHostName().toUtf8() + '\n' +
                               QSysInfo::machineUniqueId() + '\n' + boot_id + '\n';
    Write_Bytes(Single_Instance::Lock_File_Path(data_file), content.toStdString());
}

long long Lock_Holder(const fs::path& data_file) {
    const std::string content =
        tessaly::test::Read_Bytes(Single_Instance::Lock_File_Path(data_file));
    return std::stoll(content.substr(0, content.find('\n')));
}

struct File_State {
    std::string Bytes;
    fs::file_time_type Modified;
    bool operator==(const File_State&) const = default;
};

[[maybe_unused]] std::map<std::string, File_State> Listing(const fs::path& folder) {
    std::map<std::string, File_State> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        files[entry.path().filename().string()] = {tessaly::test::Read_Bytes(entry.path()),
                                                   entry.last_write_time()};
    }
    return files;
}

#if !defined(_WIN32)
// An account that is not the test's, for the tests that run as root.
constexpr uid_t Other_User = 65534;

fs::path Server_Path(const fs::path& data_file) {
    return fs::path(Single_Instance::Server_Name(data_file).toStdString());
}

sockaddr_un Address_Of(const fs::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string native = path.string();
    if (native.size() < sizeof address.sun_path) {
        std::memcpy(address.sun_path, native.c_str(), native.size());
    }
    return address;
}

bool Become_Other_User() {
    return ::setgroups(0, nullptr) == 0 && ::setgid(Other_User) == 0 && ::setuid(Other_User) == 0;
}

// A server of another user at the address that says "activated" to whoever
// calls. It binds as root and then takes the other user's id, which is the
// id its callers see, before it listens.
class Foreign_Server {
public:
    explicit Foreign_Server(const fs::path& address_path) {
        int ready[2];
        if (::pipe(ready) != 0) {
            throw std::runtime_error("pipe failed");
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            const sockaddr_un address = Address_Of(address_path);
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
                !Become_Other_User() || ::listen(fd, 8) != 0 || ::write(ready[1], "r", 1) != 1) {
                ::_exit(1);
            }
            for (;;) {
                const int caller = ::accept(fd, nullptr, nullptr);
                char request[64];
                if (caller >= 0 && ::read(caller, request, sizeof request) > 0) {
                    [[maybe_unused]] const ssize_t sent =
                        ::write(caller, "tessaly-activated\n", 18);
                }
                ::close(caller);
            }
        }
        ::close(ready[1]);
        char byte = 0;
        listening_ = ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
    }
    ~Foreign_Server() {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    Foreign_Server(const Foreign_Server&) = delete;
    Foreign_Server& operator=(const Foreign_Server&) = delete;
    pid_t Pid() const { return pid_; }
    bool Listening() const { return listening_; }

private:
    pid_t pid_ = -1;
    bool listening_ = false;
};

#endif

class Single_Instance_Test : public ::testing::Test {
protected:
#if !defined(_WIN32)
    Single_Instance_Test() {
        fs::permissions(runtime_.Path(), fs::perms::owner_all);
    }
#endif

    Temp_Dir dir_;
    fs::path data_ = dir_.File("Tessaly.dat");
#if !defined(_WIN32)
    Temp_Dir runtime_;
    Scoped_Environment runtime_variable_{"XDG_RUNTIME_DIR", runtime_.Path().string()};
#endif
};

TEST_F(Single_Instance_Test, SecondStartActivatesTheFirstAndReleaseFreesTheFile) {
    auto first = std::make_unique<Single_Instance>();
    QSignalSpy activations(first.get(), &Single_Instance::Activation_Requested);
    ASSERT_EQ(first->Acquire(data_).Outcome, Instance_Outcome::Acquired);
    const fs::path lock = dir_.File(".Tessaly.dat.lock");
    ASSERT_TRUE(fs::exists(lock));
    EXPECT_EQ(Lock_Holder(data_), QCoreApplication::applicationPid());

    {
        Single_Instance second;
        EXPECT_EQ(second.Acquire(data_).Outcome, Instance_Outcome::Other_Instance_Activated);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return activations.count() == 1; }, 5000));
    Single_Instance third;
    EXPECT_EQ(third.Acquire(data_).Outcome, Instance_Outcome::Other_Instance_Activated);
    EXPECT_TRUE(QTest::qWaitFor([&] { return activations.count() == 2; }, 5000));

    first.reset();
    EXPECT_FALSE(fs::exists(lock));
    auto next = std::make_unique<Single_Instance>();
    QSignalSpy next_activations(next.get(), &Single_Instance::Activation_Requested);
    EXPECT_EQ(next->Acquire(data_).Outcome, Instance_Outcome::Acquired);
    // The new holder answers under the same name.
    Single_Instance later;
    EXPECT_EQ(later.Acquire(data_).Outcome, Instance_Outcome::Other_Instance_Activated);
    EXPECT_TRUE(QTest::qWaitFor([&] { return next_activations.count() == 1; }, 5000));
}

TEST_F(Single_Instance_Test, DataFileInAnotherFolderIsIndependent) {
    Temp_Dir other_dir;
    Single_Instance first;
    Single_Instance other;
    QSignalSpy activations(&first, &Single_Instance::Activation_Requested);
    ASSERT_EQ(first.Acquire(data_).Outcome, Instance_Outcome::Acquired);
    EXPECT_EQ(other.Acquire(other_dir.File("Tessaly.dat")).Outcome, Instance_Outcome::Acquired);
    EXPECT_NE(Single_Instance::Server_Name(data_),
              Single_Instance::Server_Name(other_dir.File("Tessaly.dat")));
    // Anything already sent to the first holder is delivered now.
    QCoreApplication::processEvents();
    EXPECT_EQ(activations.count(), 0);
}

#if !defined(_WIN32)
// Symbolic links, forked holders and sockets in folders: POSIX only.
TEST_F(Single_Instance_Test, OtherSpellingsOfThePathAreTheSameFile) {
    fs::create_directory(dir_.File("data"));
    fs::create_directory(dir_.File("data/sub"));
    fs::create_directory_symlink(dir_.File("data"), dir_.File("link"));
    const fs::path real = dir_.File("data/Tessaly.dat");
    Write_Bytes(real, "list");

    Single_Instance first;
    QSignalSpy activations(&first, &Single_Instance::Activation_Requested);
    ASSERT_EQ(first.Acquire(real).Outcome, Instance_Outcome::Acquired);
    int expected = 0;
    for (const fs::path& spelling : {dir_.File("link/Tessaly.dat"), dir_.File("data/./Tessaly.dat"),
                                     dir_.File("data/sub/../Tessaly.dat")}) {
        SCOPED_TRACE(spelling.string());
        EXPECT_EQ(Single_Instance::Lock_File_Path(spelling), dir_.File("data/.Tessaly.dat.lock"));
        Single_Instance again;
        EXPECT_EQ(again.Acquire(spelling).Outcome, Instance_Outcome::Other_Instance_Activated);
        ++expected;
        EXPECT_TRUE(QTest::qWaitFor([&] { return activations.count() == expected; }, 5000));
    }
}

TEST_F(Single_Instance_Test, LockOfADeadHolderIsTakenOver) {
    // Killed: its pid is gone.
    Write_Lock(data_, Dead_Pid());
    {
        Single_Instance instance;
        EXPECT_EQ(instance.Acquire(data_).Outcome, Instance_Outcome::Acquired);
        EXPECT_EQ(Lock_Holder(data_), QCoreApplication::applicationPid());
    }
    // Power lost: the pid may be alive again, but the computer has restarted.
    Live_Child child;
    Write_Lock(data_, child.Pid(), "another-boot");
    Single_Instance instance;
    EXPECT_EQ(instance.Acquire(data_).Outcome, Instance_Outcome::Acquired);
    EXPECT_EQ(Lock_Holder(data_), QCoreApplication::applicationPid());
}

TEST_F(Single_Instance_Test, SocketLeftByACrashedHolderDoesNotStopTheNextOne) {
    const sockaddr_un address = Address_Of(Server_Path(data_));
    ASSERT_NE(address.sun_path[0], '\0');
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);  // The socket file stays, with no one behind it.
    Write_Lock(data_, Dead_Pid());

    Single_Instance first;
    QSignalSpy activations(&first, &Single_Instance::Activation_Requested);
    ASSERT_EQ(first.Acquire(data_).Outcome, Instance_Outcome::Acquired);
    Single_Instance second;
    EXPECT_EQ(second.Acquire(data_).Outcome, Instance_Outcome::Other_Instance_Activated);
    EXPECT_EQ(activations.count(), 1);
}

TEST_F(Single_Instance_Test, LiveHolderThatDoesNotAnswerIsReportedAndNothingIsTouched) {
    Write_Bytes(data_, "entries\r\n");
    Write_Bytes(dir_.File("Tessaly.ini"), "[Settings]\r\n");
    Live_Child holder;
    Write_Lock(data_, holder.Pid());
    const auto before = Listing(dir_.Path());

    QElapsedTimer clock;
    clock.start();
    Single_Instance instance;
    EXPECT_EQ(instance.Acquire(data_).Outcome, Instance_Outcome::Other_Instance_Unreachable);
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(Listing(dir_.Path()), before);
    EXPECT_EQ(Lock_Holder(data_), holder.Pid());
}

#endif

// Without room for a lock file the window runs anyway, and a later start on
// this computer still finds it.
void Expect_Runs_Without_Lock(const fs::path& data_file) {
    Single_Instance first;
    QSignalSpy activations(&first, &Single_Instance::Activation_Requested);
    const Acquire_Result result = first.Acquire(data_file);
    EXPECT_EQ(result.Outcome, Instance_Outcome::Lock_Unavailable);
    EXPECT_TRUE(result.Reason.contains(QStringLiteral(".Tessaly.dat.lock")))
        << result.Reason.toStdString();

    Single_Instance second;
    EXPECT_EQ(second.Acquire(data_file).Outcome, Instance_Outcome::Other_Instance_Activated);
    EXPECT_EQ(activations.count(), 1);
}

TEST_F(Single_Instance_Test, MissingFolderRunsWithoutTheLock) {
    Expect_Runs_Without_Lock(dir_.File("gone/Tessaly.dat"));
    EXPECT_TRUE(fs::is_empty(dir_.Path()));
}

#if !defined(_WIN32)
TEST_F(Single_Instance_Test, ReadOnlyFolderRunsWithoutTheLock) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not stop root";
    }
    fs::permissions(dir_.Path(),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    Expect_Runs_Without_Lock(data_);
    EXPECT_TRUE(fs::is_empty(dir_.Path()));
}

#endif

TEST_F(Single_Instance_Test, StrayConnectionsNeitherRaiseNorStopTheServer) {
    Single_Instance first;
    QSignalSpy activations(&first, &Single_Instance::Activation_Requested);
    ASSERT_EQ(first.Acquire(data_).Outcome, Instance_Outcome::Acquired);

    Raw_Caller stray(data_);
    ASSERT_TRUE(stray.Connected());
    stray.Send("hello\n");
    EXPECT_TRUE(stray.Wait_Closed(5000));
    Raw_Caller silent(data_);

    Single_Instance second;
    EXPECT_EQ(second.Acquire(data_).Outcome, Instance_Outcome::Other_Instance_Activated);
    EXPECT_EQ(activations.count(), 1);
}

// Under Wayland the desktop's token for the later start is what lets the
// running window take the focus; nothing else may ride along with it.
TEST_F(Single_Instance_Test, ActivationTokenTravelsToTheRunningWindowAndNothingElse) {
    Single_Instance first;
    QSignalSpy activations(&first, &Single_Instance::Activation_Requested);
    ASSERT_EQ(first.Acquire(data_).Outcome, Instance_Outcome::Acquired);

    Single_Instance second;
    EXPECT_EQ(second.Acquire(data_, QStringLiteral("kwin-1234_abc.DEF:9")).Outcome,
              Instance_Outcome::Other_Instance_Activated);
    ASSERT_TRUE(QTest::qWaitFor([&] { return activations.count() == 1; }, 5000));
    EXPECT_EQ(activations[0][0].toString(), "kwin-1234_abc.DEF:9");

    // A token that could not be one goes unsent; the window still comes.
    for (const QString& odd : {QStringLiteral("two words"), QStringLiteral("tab\there"),
                               QString(300, QLatin1Char('x')), QStringLiteral("caf\u00e9")}) {
        Single_Instance later;
        EXPECT_EQ(later.Acquire(data_, odd).Outcome, Instance_Outcome::Other_Instance_Activated);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return activations.count() == 5; }, 5000));
    for (int at = 1; at < 5; ++at) {
        EXPECT_EQ(activations[at][0].toString(), QString());
    }

    // Sent by hand, a request with such a token is no request at all.
    for (const QByteArray& request :
         {QByteArray("tessaly-activate \n"), QByteArray("tessaly-activate a b\n"),
          QByteArray("tessaly-activate \x01\n"), QByteArray("tessaly-activatex\n")}) {
        Raw_Caller caller(data_);
        ASSERT_TRUE(caller.Connected());
        caller.Send(request);
        EXPECT_TRUE(caller.Wait_Closed(5000));
        EXPECT_EQ(caller.Reply(), QByteArray()) << request.constData();
    }
    EXPECT_EQ(activations.count(), 5);
}

// Whatever a local program sends, the window reads a bounded amount, answers
// only a whole request, and still answers a real later start meanwhile.
TEST_F(Single_Instance_Test, CallersThatSayNothingUsefulAreDroppedWhileTheWindowAnswersOthers) {
    Single_Instance first;
    QSignalSpy activations(&first, &Single_Instance::Activation_Requested);
    ASSERT_EQ(first.Acquire(data_).Outcome, Instance_Outcome::Acquired);

    enum class End { Answered, Dropped_At_Once, Dropped_When_Idle };
    struct Case {
        const char* Name;
        QByteArray First;
        QByteArray Later;  // sent once the window has read the first part
        End Expected;
    };
    const Case cases[] = {
        {"silent", {}, {}, End::Dropped_When_Idle},
        {"unfinished request", "tessaly-activate", {}, End::Dropped_When_Idle},
        {"garbage line", "hello\n", {}, End::Dropped_At_Once},
        {"long line without end", QByteArray(100000, 'x'), {}, End::Dropped_At_Once},
        {"long line then end", QByteArray(2000, 'a') + '\n', {}, End::Dropped_At_Once},
        {"long token", "tessaly-activate " + QByteArray(400, 't') + '\n', {}, End::Dropped_At_Once},
        {"NUL inside", QByteArray("tessaly-activate\0\n", 18), {}, End::Dropped_At_Once},
        {"no line end", "tessaly-activate", QByteArray(1000, ' '), End::Dropped_At_Once},
        {"request in two parts", "tessaly-acti", "vate\n", End::Answered},
        {"request and more", "tessaly-activate\nand more", {}, End::Answered},
        {"request with token", "tessaly-activate tok-1\n", {}, End::Answered},
    };
    std::vector<std::unique_ptr<Raw_Caller>> callers;
    for (const Case& c : cases) {
        callers.push_back(std::make_unique<Raw_Caller>(data_));
        ASSERT_TRUE(callers.back()->Connected()) << c.Name;
        callers.back()->Send(c.First);
    }
    QTest::qWait(300);
    for (size_t at = 0; at < std::size(cases); ++at) {
        callers[at]->Send(cases[at].Later);
    }
    {
        Single_Instance second;
        EXPECT_EQ(second.Acquire(data_).Outcome, Instance_Outcome::Other_Instance_Activated);
    }
    QTest::qWait(700);
    for (size_t at = 0; at < std::size(cases); ++at) {
        SCOPED_TRACE(cases[at].Name);
        EXPECT_EQ(callers[at]->Closed(), cases[at].Expected != End::Dropped_When_Idle);
    }
    for (size_t at = 0; at < std::size(cases); ++at) {
        SCOPED_TRACE(cases[at].Name);
        EXPECT_TRUE(callers[at]->Wait_Closed(7000));
        EXPECT_EQ(callers[at]->Reply(), cases[at].Expected == End::Answered
                                            ? QByteArray("tessaly-activated\n")
                                            : QByteArray());
    }
    QStringList tokens;
    for (const QList<QVariant>& activation : activations) {
        tokens << activation[0].toString();
    }
    tokens.sort();
    EXPECT_EQ(tokens, (QStringList{"", "", "", "tok-1"}));
}

// Many idle connections cost the window no more than a few files, and do
// not keep a real later start out.
TEST_F(Single_Instance_Test, FloodOfSilentCallersDoesNotKeepALaterStartOut) {
    Single_Instance first;
    QSignalSpy activations(&first, &Single_Instance::Activation_Requested);
    ASSERT_EQ(first.Acquire(data_).Outcome, Instance_Outcome::Acquired);
    std::vector<std::unique_ptr<Raw_Caller>> flood;
    for (int round = 0; round < 4; ++round) {
        for (int i = 0; i < 10; ++i) {
            flood.push_back(std::make_unique<Raw_Caller>(data_));
        }
        QTest::qWait(50);
    }
    Single_Instance second;
    EXPECT_EQ(second.Acquire(data_).Outcome, Instance_Outcome::Other_Instance_Activated);
    EXPECT_EQ(activations.count(), 1);
    QTest::qWait(100);
    const auto open = std::count_if(flood.begin(), flood.end(), [](const auto& caller) {
        return caller->Connected() && !caller->Closed();
    });
    EXPECT_LE(open, 16);
}

constexpr char Child_Data_File[] = "TESSALY_TEST_START_FILE";

// Run by the test below in processes of their own: one start of the window
// on the named file, which prints its outcome and, as the holder, the
// activations it answered within a few seconds.
TEST(Single_Instance_Child, DISABLED_StartsOnceAndReports) {
    const QString data = qEnvironmentVariable(Child_Data_File);
    if (data.isEmpty()) {
        GTEST_SKIP() << "started by StartsAtTheSameTimeAgreeOnOneHolder";
    }
    Single_Instance instance;
    QSignalSpy activations(&instance, &Single_Instance::Activation_Requested);
    const Instance_Outcome outcome = instance.Acquire(tessaly::From_Qt_Path(data)).Outcome;
    if (outcome == Instance_Outcome::Acquired) {
        [[maybe_unused]] const bool answered =
            QTest::qWaitFor([&] { return !activations.isEmpty(); }, 4000);
    }
    std::printf("outcome %d activations %d\n", static_cast<int>(outcome),
                static_cast<int>(activations.count()));
    std::fflush(stdout);
}

TEST_F(Single_Instance_Test, StartsAtTheSameTimeAgreeOnOneHolder) {
    const auto start_two = [&] {
        std::vector<std::unique_ptr<QProcess>> starts;
        for (int i = 0; i < 2; ++i) {
            auto start = std::make_unique<QProcess>();
            auto environment = QProcessEnvironment::systemEnvironment();
            environment.insert(Child_Data_File, tessaly::To_Qt_Path(data_));
            start->setProcessEnvironment(environment);
            start->start(QCoreApplication::applicationFilePath(),
                         {"--gtest_also_run_disabled_tests",
                          "--gtest_filter=Single_Instance_Child.DISABLED_StartsOnceAndReports"});
            starts.push_back(std::move(start));
        }
        std::vector<QString> reports;
        for (const auto& start : starts) {
            EXPECT_TRUE(
                QTest::qWaitFor([&] { return start->state() == QProcess::NotRunning; }, 30000));
            const QString output = QString::fromLocal8Bit(start->readAllStandardOutput());
            const qsizetype at = output.indexOf(QStringLiteral("outcome "));
            reports.push_back(
                (at < 0 ? output : output.mid(at).section(QLatin1Char('\n'), 0, 0)).trimmed());
        }
        std::sort(reports.begin(), reports.end());
        return reports;
    };
    const QString activated =
        QStringLiteral("outcome %1 activations 0")
            .arg(static_cast<int>(Instance_Outcome::Other_Instance_Activated));

    // Nobody has the file: one takes it and raises itself for the other.
    std::vector<QString> reports = start_two();
    const QString holder = QStringLiteral("outcome %1 activations 1")
                               .arg(static_cast<int>(Instance_Outcome::Acquired));
    EXPECT_EQ(reports, (std::vector<QString>{holder, activated}));

    // This process has it: both later starts raise it.
    Single_Instance first;
    QSignalSpy activations(&first, &Single_Instance::Activation_Requested);
    ASSERT_EQ(first.Acquire(data_).Outcome, Instance_Outcome::Acquired);
    reports = start_two();
    EXPECT_EQ(reports, (std::vector<QString>{activated, activated}));
    EXPECT_EQ(activations.count(), 2);
}

constexpr char Holder_Data_File[] = "TESSALY_TEST_HOLD_FILE";

// Run by the test below in a process of its own: one start of the window on
// the named file, which prints its outcome and answers later starts until it
// is killed.
TEST(Single_Instance_Child, DISABLED_HoldsTheFileUntilKilled) {
    const QString data = qEnvironmentVariable(Holder_Data_File);
    if (data.isEmpty()) {
        GTEST_SKIP() << "started by LockOfAKilledHolderIsTakenOverWhateverIdItNames";
    }
    Single_Instance instance;
    const Instance_Outcome outcome = instance.Acquire(tessaly::From_Qt_Path(data)).Outcome;
    std::printf("outcome %d\n", static_cast<int>(outcome));
    std::fflush(stdout);
    QTest::qWait(60000);
}

TEST_F(Single_Instance_Test, LockOfAKilledHolderIsTakenOverWhateverIdItNames) {
    QProcess holder;
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert(Holder_Data_File, tessaly::To_Qt_Path(data_));
    holder.setProcessEnvironment(environment);
    holder.start(QCoreApplication::applicationFilePath(),
                 {"--gtest_also_run_disabled_tests",
                  "--gtest_filter=Single_Instance_Child.DISABLED_HoldsTheFileUntilKilled"});
    QByteArray said;
    const QByteArray taken =
        "outcome " + QByteArray::number(static_cast<int>(Instance_Outcome::Acquired));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            said += holder.readAllStandardOutput();
            return said.contains(taken) || holder.state() == QProcess::NotRunning;
        },
        30000));
    ASSERT_TRUE(said.contains(taken)) << said.toStdString();

    // While it lives, the holder keeps the next start out.
    {
        Single_Instance second;
        EXPECT_EQ(second.Acquire(data_).Outcome, Instance_Outcome::Other_Instance_Activated);
    }
    // TerminateProcess on Windows, SIGKILL elsewhere: the holder cleans up nothing.
    holder.kill();
    ASSERT_TRUE(holder.waitForFinished(10000));
    ASSERT_TRUE(fs::exists(Single_Instance::Lock_File_Path(data_)));
#if defined(_WIN32)
    // Windows, and Wine after a restart, give the ids out again: the id left
    // in the lock may now be that of a live copy of this very program.
    Write_Lock(data_, QCoreApplication::applicationPid());
#endif
    Single_Instance next;
    EXPECT_EQ(next.Acquire(data_).Outcome, Instance_Outcome::Acquired);
    EXPECT_EQ(Lock_Holder(data_), QCoreApplication::applicationPid());
}

#if !defined(_WIN32)
// In a folder others can write to, another user could put a socket under
// the expected name first and answer in the holder's place.
TEST_F(Single_Instance_Test, SocketIsInAFolderOnlyThisUserCanEnter) {
    EXPECT_EQ(Server_Path(data_).parent_path(), runtime_.Path());
    Single_Instance first;
    ASSERT_EQ(first.Acquire(data_).Outcome, Instance_Outcome::Acquired);
    EXPECT_TRUE(fs::is_socket(Server_Path(data_)));

    // Without a private runtime folder: a folder of the program's own in the
    // temporary folder.
    const Temp_Dir temp;
    const Scoped_Environment temp_variable("TMPDIR", temp.Path().string());
    const fs::path own = temp.File("tessaly-" + std::to_string(::geteuid()));
    const Temp_Dir open_folder;
    fs::permissions(open_folder.Path(), fs::perms::owner_all | fs::perms::group_all |
                                            fs::perms::others_read | fs::perms::others_exec);
    fs::create_directory_symlink(runtime_.Path(), dir_.File("runtime-link"));
    for (const std::optional<std::string>& runtime :
         {std::optional<std::string>(), std::optional<std::string>("relative/runtime"),
          std::optional(open_folder.Path().string()),
          std::optional(dir_.File("runtime-link").string())}) {
        SCOPED_TRACE(runtime.value_or("unset"));
        const Scoped_Environment runtime_variable("XDG_RUNTIME_DIR", runtime);
        EXPECT_EQ(Server_Path(data_).parent_path(), own);
        EXPECT_EQ(fs::symlink_status(own).permissions(), fs::perms::owner_all);
    }
}

TEST_F(Single_Instance_Test, FolderMadeFirstBySomeoneElseIsNotUsed) {
    const Temp_Dir temp;
    const Scoped_Environment temp_variable("TMPDIR", temp.Path().string());
    const Scoped_Environment runtime_variable("XDG_RUNTIME_DIR", std::nullopt);
    const fs::path own = temp.File("tessaly-" + std::to_string(::geteuid()));
    // A link, which anyone may make, to a folder of their choosing.
    const Temp_Dir elsewhere;
    fs::permissions(elsewhere.Path(), fs::perms::owner_all);
    fs::create_directory_symlink(elsewhere.Path(), own);
    EXPECT_EQ(Single_Instance::Server_Name(data_), QString());
    fs::remove(own);
    if (::geteuid() == 0) {
        fs::create_directory(own);
        fs::permissions(own, fs::perms::owner_all);
        ASSERT_EQ(::chown(own.c_str(), Other_User, Other_User), 0);
        EXPECT_EQ(Single_Instance::Server_Name(data_), QString());
    }

    // The lock alone keeps a second window off the file.
    Single_Instance first;
    QSignalSpy activations(&first, &Single_Instance::Activation_Requested);
    ASSERT_EQ(first.Acquire(data_).Outcome, Instance_Outcome::Acquired);
    Single_Instance second;
    EXPECT_EQ(second.Acquire(data_).Outcome, Instance_Outcome::Other_Instance_Unreachable);
    EXPECT_EQ(activations.count(), 0);
    EXPECT_TRUE(fs::is_empty(elsewhere.Path()));
}

TEST_F(Single_Instance_Test, AnswerFromAnotherUsersServerIsNotBelieved) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can run a process as another user";
    }
    const Foreign_Server squatter(Server_Path(data_));
    ASSERT_TRUE(squatter.Listening());
    // The other user's process holds the lock, so this start asks for the
    // window; the answer "activated" would make it end at once.
    Write_Lock(data_, squatter.Pid());
    Single_Instance instance;
    EXPECT_EQ(instance.Acquire(data_).Outcome, Instance_Outcome::Other_Instance_Unreachable);
}

TEST_F(Single_Instance_Test, CallerOfAnotherUserIsNotServed) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can run a process as another user";
    }
    Single_Instance first;
    QSignalSpy activations(&first, &Single_Instance::Activation_Requested);
    ASSERT_EQ(first.Acquire(data_).Outcome, Instance_Outcome::Acquired);
    // Let the file system through, so that only the server can refuse.
    fs::permissions(Server_Path(data_), fs::perms::all);
    const pid_t caller = ::fork();
    if (caller == 0) {
        // The socket is reached through a descriptor opened as root: the
        // other user could not enter the private folder.
        const int socket_file = ::open(Server_Path(data_).c_str(), O_PATH);
        const sockaddr_un address = Address_Of("/proc/self/fd/" + std::to_string(socket_file));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        char reply[64] = {};
        pollfd answer = {fd, POLLIN, 0};
        const bool asked =
            socket_file >= 0 && Become_Other_User() &&
            ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
            ::write(fd, "tessaly-activate\n", 17) == 17 && ::poll(&answer, 1, 5000) == 1;
        // Dropped: the connection ends (or is reset) without an answer.
        ::_exit(!asked ? 2 : ::read(fd, reply, sizeof reply) > 0 ? 1 : 0);
    }
    int status = -1;
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return ::waitpid(caller, &status, WNOHANG) == caller; }, 10000));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(activations.count(), 0);
    Single_Instance second;
    EXPECT_EQ(second.Acquire(data_).Outcome, Instance_Outcome::Other_Instance_Activated);
}

#endif

TEST(Already_Running_Message, NamesTheDataFile) {
    EXPECT_EQ(tessaly::Already_Running_Message("/opt/t/Tessaly.dat"),
              "Tessaly is already running with \"/opt/t/Tessaly.dat\".\r\n"
              "Switch to its window to go on.");
}

TEST(Bring_To_Front, RestoresAMinimisedWindowKeepingItMaximised) {
    QMainWindow window;
    window.setWindowState(Qt::WindowMaximized | Qt::WindowMinimized);
    window.show();
    tessaly::Bring_To_Front(window);
    EXPECT_EQ(window.windowState(), Qt::WindowMaximized);
    EXPECT_TRUE(window.isVisible());

    window.hide();
    window.setWindowState(Qt::WindowMinimized);
    tessaly::Bring_To_Front(window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowState(), Qt::WindowNoState);
}

TEST(Bring_To_Front, ModalWindowComesFirstAndTheHiddenMainWindowStaysHidden) {
    QMainWindow window;
    QDialog report;
    report.setModal(true);
    report.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &report);
    tessaly::Bring_To_Front(window);
    EXPECT_TRUE(window.isHidden());
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &report; }, 5000));
}

}  // namespace
