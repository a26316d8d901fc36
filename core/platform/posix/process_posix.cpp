#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <system_error>

#include "core/platform/process.h"

namespace tessaly {

Day_Number Local_Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return Day_Number_Of(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

Date_And_Time Local_Time_Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    // A leap second is named as the second before it.
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     std::min(local.tm_sec, 59)};
}

std::filesystem::path Executable_Path(const char* argv0) {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        return self;
    }
    return std::filesystem::absolute(argv0 != nullptr ? argv0 : "", error);
}

std::vector<std::string> Program_Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

bool Is_Terminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) == 1;
}

Utf8_Console_Output::Utf8_Console_Output() = default;
Utf8_Console_Output::~Utf8_Console_Output() = default;

}  // namespace tessaly
