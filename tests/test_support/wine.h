#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

namespace tessaly::test {

// Whether the tests run under Wine, whose font rasteriser draws text with
// other metrics and edges than Windows: the checks measured in pixels of text
// stop there, with their reason.
inline bool Running_Under_Wine() {
#ifdef _WIN32
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

inline constexpr const char* Wine_Text_Metrics =
    "Wine draws text with other metrics than Windows; measured on Linux and Windows only";

}  // namespace tessaly::test
