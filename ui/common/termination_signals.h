#pragma once

#include <QObject>

class QSocketNotifier;

namespace tessaly {

// The signals with which the system ends a program (SIGTERM at log-out or
// shutdown, SIGHUP when the terminal goes, SIGINT for Ctrl-C), turned into a
// Qt signal on the window thread, so that the list can be saved first. Only
// one may exist at a time.
class Termination_Signals : public QObject {
    Q_OBJECT

public:
    explicit Termination_Signals(QObject* parent = nullptr);
    ~Termination_Signals() override;

signals:
    void Termination_Requested();

private:
    void Read_Signal();

    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace tessaly
