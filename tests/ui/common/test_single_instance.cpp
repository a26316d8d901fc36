#include "ui/common/single_instance.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QMainWindow>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "test_support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using tessaly::Acquire_Result;
using tessaly::Instance_Outcome;
using tessaly::Single_Instance;
using tessaly::test::Temp_Dir;
using tessaly::test::Write_Bytes;

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

// A lock file as another run of this program would have written it.
void Write_Lock(const fs::path& data_file, long long pid,
                const QByteArray& boot_id = QSysInfo::bootUniqueId()) {
    const QByteArray name = QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8();
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

std::map<std::string, File_State> Listing(const fs::path& folder) {
    std::map<std::string, File_State> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        files[entry.path().filename().string()] = {tessaly::test::Read_Bytes(entry.path()),
                                                   entry.last_write_time()};
    }
    return files;
}

class Single_Instance_Test : public ::testing::Test {
protected:
    Temp_Dir dir_;
    fs::path data_ = dir_.File("Tessaly.dat");
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
    const QString socket_path =
        QDir::tempPath() + QLatin1Char('/') + Single_Instance::Server_Name(data_);
    const QByteArray native = QFile::encodeName(socket_path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(static_cast<std::size_t>(native.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, native.constData(), static_cast<std::size_t>(native.size()));
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

TEST_F(Single_Instance_Test, StrayConnectionsNeitherRaiseNorStopTheServer) {
    Single_Instance first;
    QSignalSpy activations(&first, &Single_Instance::Activation_Requested);
    ASSERT_EQ(first.Acquire(data_).Outcome, Instance_Outcome::Acquired);

    QLocalSocket stray;
    stray.connectToServer(Single_Instance::Server_Name(data_));
    ASSERT_TRUE(QTest::qWaitFor([&] { return stray.state() == QLocalSocket::ConnectedState; }));
    stray.write("hello\n");
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return stray.state() == QLocalSocket::UnconnectedState; }, 5000));
    QLocalSocket silent;
    silent.connectToServer(Single_Instance::Server_Name(data_));

    Single_Instance second;
    EXPECT_EQ(second.Acquire(data_).Outcome, Instance_Outcome::Other_Instance_Activated);
    EXPECT_EQ(activations.count(), 1);
}

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
