// tessaly-notify: posts the notification that `tessaly-report --notify` made
// to the desktop's notification server. A program of its own, so that the
// plain report never loads Qt or the D-Bus libraries.
//   tessaly-notify normal|critical < BODY
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "app/notification.h"
#include "app/report_tool.h"
#include "core/program_identity.h"

namespace {

using namespace tessaly;

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Object_Path = QStringLiteral("/org/freedesktop/Notifications");
// The server's default display time.
constexpr int Server_Default_Timeout = -1;

void Say(const QString& message) {
    std::fprintf(stderr, "%s: %s\n", Report_Tool_Name, message.toLocal8Bit().constData());
}

QDBusMessage Call(const QString& method) {
    return QDBusMessage::createMethodCall(Service, Object_Path, Service, method);
}

// Why the server could not be reached or refused the notification.
int Unavailable(const QDBusError& error) {
    if (error.type() == QDBusError::ServiceUnknown) {
        Say(QStringLiteral("no notification can be shown: no notification server is running "
                           "(nothing on the session bus provides %1)")
                .arg(Service));
    } else if (error.name().startsWith(QStringLiteral("org.freedesktop.DBus.Error.Spawn."))) {
        // The bus knows a server to start, which failed (on a desktop
        // without a display, say).
        Say(QStringLiteral("no notification can be shown: the notification server could not be "
                           "started: %1")
                .arg(error.message()));
    } else {
        Say(QStringLiteral("no notification can be shown: the notification server answered: "
                           "%1 (%2)")
                .arg(error.message(), error.name()));
    }
    return Report_Tool_Notification_Unavailable;
}

// The body, from standard input; none when it cannot be read or is longer
// than the tool ever sends.
std::optional<std::string> Read_Body() {
    std::string body;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) {
        body.append(buffer, got);
        if (body.size() > Longest_Notification_Body) {
            return std::nullopt;
        }
    }
    if (std::ferror(stdin)) {
        return std::nullopt;
    }
    return body;
}

int Usage() {
    std::fprintf(stderr, "%s: this program is started by '%s --notify'\n", Notifier_Name,
                 Report_Tool_Name);
    return Report_Tool_Usage;
}

int Post(int argc, char** argv) {
    const std::string_view urgency_name = argc == 2 ? argv[1] : "";
    // At a terminal it would wait for a body nobody is going to type.
    if ((urgency_name != "normal" && urgency_name != "critical") || ::isatty(STDIN_FILENO) != 0) {
        return Usage();
    }
    const Notification_Urgency urgency =
        urgency_name == "critical" ? Notification_Urgency::Critical : Notification_Urgency::Normal;
    const std::optional<std::string> read = Read_Body();
    if (!read) {
        return Usage();
    }
    const std::string& body = *read;

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        Say(QStringLiteral("no notification can be shown: there is no session bus (%1)")
                .arg(bus.lastError().message()));
        return Report_Tool_Notification_Unavailable;
    }

    // Asking first also starts a server that the bus activates on demand.
    const QDBusMessage capabilities = bus.call(Call(QStringLiteral("GetCapabilities")));
    if (capabilities.type() != QDBusMessage::ReplyMessage) {
        return Unavailable(QDBusError(capabilities));
    }
    const bool takes_markup = !capabilities.arguments().isEmpty() &&
                              capabilities.arguments().constFirst().toStringList().contains(
                                  QStringLiteral("body-markup"));

    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(static_cast<uchar>(urgency)));
    // Lets the desktop group the notification with the program's menu entry.
    hints.insert(QStringLiteral("desktop-entry"), QString::fromUtf8(Application_Id));

    QDBusMessage notify = Call(QStringLiteral("Notify"));
    notify << QString::fromUtf8(Notification_App_Name) << 0U << QString::fromUtf8(Application_Id)
           << QString::fromUtf8(Notification_Summary)
           << QString::fromStdString(takes_markup ? Escape_Body_Markup(body) : body)
           << QStringList() << hints << Server_Default_Timeout;
    const QDBusMessage reply = bus.call(notify);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        return Unavailable(QDBusError(reply));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // QtDBus runs its connection on a thread of its own.
    QCoreApplication application(argc, argv);
    const int status = Post(argc, argv);
    // Ends without the program's teardown: QtDBus's thread may still be
    // setting up its types while they are destroyed, and says so on stderr.
    // Nothing is left to save or close.
    std::fflush(nullptr);
    std::_Exit(status);
}
