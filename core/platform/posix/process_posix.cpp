#include <unistd.h>

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
