#pragma once

#include <filesystem>

namespace tessaly::test {

// Gives the running test program a home of its own: HOME and the XDG base
// folders (on Windows also USERPROFILE, APPDATA and LOCALAPPDATA) point into
// a fresh folder under the system's temporary folder, which is removed when
// the process that made it exits. Called first in main, before Qt or any
// other library reads them, so that no test reads or writes the user's files
// (Qt's file dialog keeps its history and column sizes in ~/.config). A test
// that sets a variable of its own still wins. Returns the home folder.
std::filesystem::path Use_Own_Home();

// Use_Own_Home for a test program's main: false, having said why on the
// standard error, where the home cannot be made.
bool Enter_Own_Home();

}  // namespace tessaly::test
