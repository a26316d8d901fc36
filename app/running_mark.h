#pragma once

namespace tessaly {

// Holds, until the process ends, the mark "Local\TessalyRunning" in the
// user's log-on session. On Windows a named mutex, by which the setup program
// and the uninstaller tell that Tessaly runs and ask the user to close it
// before they replace or remove its files; elsewhere the system's package
// manager replaces a running program's files without harm, and it does
// nothing.
void Mark_Program_Running();

}  // namespace tessaly
