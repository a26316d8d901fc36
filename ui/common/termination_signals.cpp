#include "ui/common/termination_signals.h"

#include <QSocketNotifier>

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace tessaly {

namespace {

constexpr std::array<int, 3> Handled_Signals = {SIGTERM, SIGHUP, SIGINT};

// A signal handler may do almost nothing: it writes one byte, which the
// window thread reads in its event loop.
int Signal_Sockets[2] = {-1, -1};

extern "C" void On_Termination_Signal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(Signal_Sockets[0], &byte, 1);
    errno = saved;
}

}  // namespace

Termination_Signals::Termination_Signals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, Signal_Sockets) != 0) {
        return;  // the program then ends as it would have without this
    }
    notifier_ = new QSocketNotifier(Signal_Sockets[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &Termination_Signals::Read_Signal);
    struct sigaction action {};
    action.sa_handler = On_Termination_Signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal_number : Handled_Signals) {
        ::sigaction(signal_number, &action, nullptr);
    }
}

Termination_Signals::~Termination_Signals() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signal_number : Handled_Signals) {
        ::sigaction(signal_number, &action, nullptr);
    }
    if (notifier_ != nullptr) {
        ::close(Signal_Sockets[0]);
        ::close(Signal_Sockets[1]);
        Signal_Sockets[0] = Signal_Sockets[1] = -1;
    }
}

void Termination_Signals::Read_Signal() {
    char byte = 0;
    if (::read(Signal_Sockets[1], &byte, 1) == 1) {
        emit Termination_Requested();
    }
}

}  // namespace tessaly
