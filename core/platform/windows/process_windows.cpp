#include <io.h>
#include <windows.h>

#include <string>
#include <system_error>

#include "core/platform/process.h"

namespace tessaly {

Day_Number Local_Today() {
    SYSTEMTIME local{};
    ::GetLocalTime(&local);
    return Day_Number_Of(local.wYear, local.wMonth, local.wDay);
}

std::filesystem::path Executable_Path(const char* argv0) {
    // The buffer grows until the whole path fits: paths may pass MAX_PATH.
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            break;
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return std::filesystem::path(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
    std::error_code error;
    return std::filesystem::absolute(argv0 != nullptr ? argv0 : "", error);
}

bool Is_Terminal(std::FILE* stream) {
    return ::_isatty(::_fileno(stream)) != 0;
}

}  // namespace tessaly
