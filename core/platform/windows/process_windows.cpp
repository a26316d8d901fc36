#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>
#include <system_error>

#include "core/platform/process.h"
#include "core/platform/windows/windows_text.h"

// From kernel32; declared here, since MinGW's werapi.h does not compile.
extern "C" HRESULT WINAPI WerSetFlags(DWORD flags);

namespace tessaly {

void Keep_Out_Of_Core_Dumps() {
    // Windows writes no dump of its own accord; the error report is told to
    // leave out the heap, where the password is.
    constexpr DWORD No_Heap = 1;  // WER_FAULT_REPORTING_FLAG_NOHEAP
    ::WerSetFlags(No_Heap);
}

void Make_Process_Undumpable() {
    // Another program of the user reading this one's memory is not refused
    // here: Windows grants that to the user's programs alike.
    Keep_Out_Of_Core_Dumps();
}

Day_Number Local_Today() {
    SYSTEMTIME local{};
    ::GetLocalTime(&local);
    return Day_Number_Of(local.wYear, local.wMonth, local.wDay);
}

Date_And_Time Local_Time_Now() {
    SYSTEMTIME local{};
    ::GetLocalTime(&local);
    return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

std::filesystem::path Executable_Path(const char* argv0) {
    // Wide, so that a folder of any letters comes back as it is; the buffer
    // grows until the whole path fits, since paths may pass MAX_PATH.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            break;
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return std::filesystem::path(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
    // argv holds the ANSI code page's bytes.
    std::wstring name;
    if (argv0 != nullptr && *argv0 != '\0') {
        const int length = ::MultiByteToWideChar(CP_ACP, 0, argv0, -1, nullptr, 0);
        name.resize(length > 0 ? static_cast<std::size_t>(length) : 1u);
        ::MultiByteToWideChar(CP_ACP, 0, argv0, -1, name.data(), length);
        name.resize(name.size() - 1);
    }
    std::error_code error;
    return std::filesystem::absolute(name, error);
}

std::vector<std::string> Program_Arguments(int /*argc*/, char** /*argv*/) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) {
        // Never argv instead: its ANSI bytes would name other files.
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(),
                                "the command line cannot be read");
    }
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) {
        arguments.push_back(detail::Utf8_From_Wide(wide[i]));
    }
    ::LocalFree(wide);
    return arguments;
}

bool Is_Terminal(std::FILE* stream) {
    return ::_isatty(::_fileno(stream)) != 0;
}

void Write_Standard_Output_As_Bytes() {
    std::fflush(stdout);
    ::_setmode(::_fileno(stdout), _O_BINARY);
}

Utf8_Console_Output::Utf8_Console_Output() {
    // 0 when there is no console (output to a file or a pipe).
    const UINT current = ::GetConsoleOutputCP();
    if (current != 0 && current != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8)) {
        previous_code_page_ = current;
    }
}

Utf8_Console_Output::~Utf8_Console_Output() {
    if (previous_code_page_ != 0) {
        ::SetConsoleOutputCP(previous_code_page_);
    }
}

}  // namespace tessaly
