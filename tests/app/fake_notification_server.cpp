// A notification server for the tests, on the private session bus that
// dbus-run-session gives them. It appends every Notify call to a file, one
// field a line, puts the caller's command line (as /proc holds it, a NUL
// after each argument) in that file's name plus ".caller", and tells that it
// owns the name by printing "ready". When its standard input closes it gives
// the name up and exits, so that the next test finds the bus as it was.
//   fake_notification_server RECORD_FILE [--markup]
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QFile>
#include <QObject>
#include <QSocketNotifier>
#include <QStringList>
#include <QTextStream>
#include <QVariantMap>

#include <cstdio>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");

class Fake_Server : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    Fake_Server(QString record_path, bool markup)
        : record_path_(std::move(record_path)), markup_(markup) {}

public slots:
    Q_SCRIPTABLE QStringList GetCapabilities() {
        QStringList capabilities{QStringLiteral("body")};
        if (markup_) {
            capabilities << QStringLiteral("body-markup");
        }
        return capabilities;
    }

    Q_SCRIPTABLE QString GetServerInformation(QString& vendor, QString& version,
                                              QString& spec_version) {
        vendor = QStringLiteral("Tessaly tests");
        version = QStringLiteral("1");
        spec_version = QStringLiteral("1.2");
        return QStringLiteral("fake");
    }

    Q_SCRIPTABLE uint Notify(const QString& app_name, uint replaces_id, const QString& app_icon,
                             const QString& summary, const QString& body,
                             const QStringList& actions, const QVariantMap& hints,
                             int expire_timeout) {
        QFile file(record_path_);
        if (!file.open(QIODevice::Append | QIODevice::Text)) {
            sendErrorReply(QDBusError::Failed, file.errorString());
            return 0;
        }
        QTextStream record(&file);
        record << "Notify " << message().signature() << "\n"
               << "app_name: " << app_name << "\n"
               << "replaces_id: " << replaces_id << "\n"
               << "app_icon: " << app_icon << "\n"
               << "summary: " << summary << "\n"
               << "actions: " << actions.join(QLatin1Char(' ')) << "\n";
        for (auto hint = hints.cbegin(); hint != hints.cend(); ++hint) {
            const QVariant& value = hint.value();
            record << "hint " << hint.key() << ": ";
            if (value.typeId() == QMetaType::UChar) {
                record << value.value<uchar>() << " (byte)\n";
            } else {
                record << value.toString() << " (" << value.typeName() << ")\n";
            }
        }
        record << "expire_timeout: " << expire_timeout << "\n"
               << "body:\n"
               << body << "\n.\n";
        Record_Caller();
        return ++last_id_;
    }

private:
    // What any user of the computer could read of the caller.
    void Record_Caller() {
        const uint pid = connection().interface()->servicePid(message().service()).value();
        QFile command_line(QStringLiteral("/proc/%1/cmdline").arg(pid));
        QFile caller(record_path_ + QStringLiteral(".caller"));
        if (command_line.open(QIODevice::ReadOnly) && caller.open(QIODevice::WriteOnly)) {
            caller.write(command_line.readAll());
        }
    }

    QString record_path_;
    bool markup_;
    uint last_id_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: fake_notification_server RECORD_FILE [--markup]\n");
        return 64;
    }
    Fake_Server server(args.at(1), args.contains(QStringLiteral("--markup")));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &server,
                            QDBusConnection::ExportScriptableSlots) ||
        !bus.registerService(Service)) {
        std::fprintf(stderr, "fake_notification_server: %s\n",
                     qPrintable(bus.lastError().message()));
        return 69;
    }
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &application, [&] {
        char byte = 0;
        if (::read(STDIN_FILENO, &byte, 1) <= 0) {
            input.setEnabled(false);
            // Returns once the bus has taken the name back.
            bus.unregisterService(Service);
            application.quit();
        }
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return application.exec();
}

#include "fake_notification_server.moc"
