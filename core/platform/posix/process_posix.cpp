#include <sys/resource.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <ctime>
#include <system_error>

#include "core/platform/process.h"

namespace tessaly {

void Keep_Out_Of_Core_Dumps() {
    // 1, not 0: with 0 the kernel still hands the core to a crash collector
    // that core_pattern names; below a page it writes no core file either.
    rlimit limit{};
    if (::getrlimit(RLIMIT_CORE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max == 0 ? 0 : 1;
        ::setrlimit(RLIMIT_CORE, &limit);
    }
}

void Make_Process_Undumpable() {
    Keep_Out_Of_Core_Dumps();
#if defined(__linux__)
    // Reset by exec: the programs this one starts are not bound by it.
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
#endif
}

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

void Write_Standard_Output_As_Bytes() {}

Utf8_Console_Output::Utf8_Console_Output() = default;
Utf8_Console_Output::~Utf8_Console_Output() = default;

}  // namespace tessaly
