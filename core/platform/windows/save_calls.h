#pragma once

#include <windows.h>

namespace tessaly::detail {

// The call that puts every saved file in place, one pointer so that tests can
// make it fail and check that the user's file survives. The program never
// changes it.
using Move_File_Call = BOOL (*)(LPCWSTR from, LPCWSTR to, DWORD flags);
Move_File_Call& Save_Move_File();

}  // namespace tessaly::detail
