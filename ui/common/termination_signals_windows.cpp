#include "ui/common/termination_signals.h"

namespace tessaly {

// Windows sends a window program no signal to end it: log-off and shutdown
// arrive as session messages, which the application hands on as
// commitDataRequest, and an ordinary taskkill closes the main window; both
// save the list without this object.
Termination_Signals::Termination_Signals(QObject* parent) : QObject(parent) {}

Termination_Signals::~Termination_Signals() = default;

void Termination_Signals::Read_Signal() {}

}  // namespace tessaly
