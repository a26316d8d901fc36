#include <windows.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/windows/windows_text.h"
#include "sync/password_command.h"

namespace tessaly {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

[[noreturn]] void Throw_Windows_Error(const char* what) {
    const DWORD error = ::GetLastError();
    throw Password_Command_Error(std::string("The password command could not be run (") + what +
                                 ": " + detail::Windows_Error_Text(error) + ").");
}

class Handle {
public:
    explicit Handle(HANDLE handle = nullptr)
        : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return handle_; }
    HANDLE* Out() { return &handle_; }
    void Close() {
        if (handle_ != nullptr) {
            ::CloseHandle(handle_);
            handle_ = nullptr;
        }
    }

private:
    HANDLE handle_;
};

// The system's own cmd.exe, never one that the current folder or PATH
// offers first.
std::wstring Command_Interpreter() {
    std::array<wchar_t, MAX_PATH> folder{};
    const UINT length = ::GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    if (length == 0 || length >= folder.size()) {
        Throw_Windows_Error("system folder");
    }
    return std::wstring(folder.data(), length) + L"\\cmd.exe";
}

// An inheritable copy of this program's standard error, for the command's
// messages; the NUL device where there is none (the window has none).
HANDLE Inheritable_Error_Output(SECURITY_ATTRIBUTES& inheritable) {
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    HANDLE copy = nullptr;
    if (error != nullptr && error != INVALID_HANDLE_VALUE &&
        ::DuplicateHandle(::GetCurrentProcess(), error, ::GetCurrentProcess(), &copy, 0, TRUE,
                          DUPLICATE_SAME_ACCESS)) {
        return copy;
    }
    return ::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                         OPEN_EXISTING, 0, nullptr);
}

// Ends every process of the job and waits (briefly) for the command's.
void End_Job(HANDLE job, HANDLE process) {
    ::TerminateJobObject(job, 1);
    ::WaitForSingleObject(process, 5'000);
}

DWORD Milliseconds_Until(Clock::time_point when) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(when - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<DWORD>(left);
}

}  // namespace

std::string Run_Password_Command(const std::string& command, std::chrono::milliseconds time_limit) {
    const Clock::time_point deadline = Clock::now() + time_limit;
    const std::optional<std::wstring> wide_command = detail::Wide_From_Utf8(command);
    if (!wide_command) {
        throw Password_Command_Error("The password command is not valid UTF-8 text.");
    }
    // /d: no AutoRun command of the user's; /s: the quotes around the command
    // go, whatever it holds.
    const std::wstring interpreter = Command_Interpreter();
    std::wstring command_line = L"\"" + interpreter + L"\" /d /s /c \"" + *wide_command + L"\"";

    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    Handle read_end;
    Handle write_end;
    if (!::CreatePipe(read_end.Out(), write_end.Out(), &inheritable, 0) ||
        !::SetHandleInformation(read_end.Get(), HANDLE_FLAG_INHERIT, 0)) {
        Throw_Windows_Error("pipe");
    }
    Handle input(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               &inheritable, OPEN_EXISTING, 0, nullptr));
    if (input.Get() == nullptr) {
        Throw_Windows_Error("NUL");
    }
    Handle error_output(Inheritable_Error_Output(inheritable));
    if (error_output.Get() == nullptr) {
        Throw_Windows_Error("NUL");
    }

    // The command inherits these three handles and no other, even where
    // another thread starts a program at the same time.
    std::array<HANDLE, 3> inherited{input.Get(), write_end.Get(), error_output.Get()};
    SIZE_T list_size = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &list_size);
    std::vector<unsigned char> list_memory(list_size);
    const auto attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(list_memory.data());
    if (!::InitializeProcThreadAttributeList(attributes, 1, 0, &list_size)) {
        Throw_Windows_Error("attributes");
    }
    struct Attribute_List_Deleter {
        LPPROC_THREAD_ATTRIBUTE_LIST list;
        ~Attribute_List_Deleter() { ::DeleteProcThreadAttributeList(list); }
    } const delete_attributes{attributes};
    if (!::UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                     inherited.data(), sizeof(HANDLE) * inherited.size(), nullptr,
                                     nullptr)) {
        Throw_Windows_Error("attributes");
    }

    // Everything the command starts is in the job, and closing the job ends
    // whatever of it is left, even if this program is ended first.
    Handle job(::CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job.Get() == nullptr ||
        !::SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits,
                                   sizeof(limits))) {
        Throw_Windows_Error("job");
    }

    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof(startup);
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = input.Get();
    startup.StartupInfo.hStdOutput = write_end.Get();
    startup.StartupInfo.hStdError = error_output.Get();
    startup.lpAttributeList = attributes;
    PROCESS_INFORMATION started{};
    // Suspended until it is in the job, so that nothing it starts escapes.
    if (!::CreateProcessW(interpreter.c_str(), command_line.data(), nullptr, nullptr, TRUE,
                          CREATE_SUSPENDED | CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT,
                          nullptr, nullptr, &startup.StartupInfo, &started)) {
        Throw_Windows_Error("cmd.exe");
    }
    Handle process(started.hProcess);
    Handle thread(started.hThread);
    if (!::AssignProcessToJobObject(job.Get(), process.Get())) {
        ::TerminateProcess(process.Get(), 1);
        Throw_Windows_Error("job");
    }
    ::ResumeThread(thread.Get());
    thread.Close();
    // Only the command may hold the pipe's writing end: the end of its
    // output is seen once it closes it.
    write_end.Close();
    input.Close();
    error_output.Close();

    std::string output;
    std::array<char, 4096> buffer{};
    bool exited = false;
    Clock::time_point output_until{};
    while (read_end.Get() != nullptr || !exited) {
        if (!exited && ::WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0) {
            exited = true;
            output_until = Clock::now() + detail::Password_Command_Output_Grace;
        }
        const Clock::time_point now = Clock::now();
        if (exited && (read_end.Get() == nullptr || now >= output_until)) {
            break;  // what a process left behind still writes is not waited for
        }
        if (!exited && now >= deadline) {
            End_Job(job.Get(), process.Get());
            detail::Throw_Password_Command_Timed_Out(time_limit);
        }
        // An anonymous pipe cannot be read with a time limit: what is there
        // is read, and otherwise the command is waited for a little.
        DWORD available = 0;
        if (read_end.Get() != nullptr &&
            !::PeekNamedPipe(read_end.Get(), nullptr, 0, nullptr, &available, nullptr)) {
            if (::GetLastError() != ERROR_BROKEN_PIPE) {
                Throw_Windows_Error("pipe");
            }
            read_end.Close();  // every writer has closed it
            continue;
        }
        if (available > 0) {
            DWORD read = 0;
            const DWORD wanted = std::min(available, static_cast<DWORD>(buffer.size()));
            if (!::ReadFile(read_end.Get(), buffer.data(), wanted, &read, nullptr)) {
                Throw_Windows_Error("pipe");
            }
            output.append(buffer.data(), read);
            if (output.size() > detail::Password_Command_Output_Limit) {
                End_Job(job.Get(), process.Get());
                detail::Throw_Password_Command_Too_Long_Output();
            }
            continue;
        }
        const Clock::time_point wake = exited ? output_until : deadline;
        ::WaitForSingleObject(process.Get(), std::min<DWORD>(Milliseconds_Until(wake), 10));
    }
    read_end.Close();
    // Whatever the command left behind ends with it.
    End_Job(job.Get(), process.Get());

    DWORD exit_code = 0;
    if (!::GetExitCodeProcess(process.Get(), &exit_code)) {
        Throw_Windows_Error("exit code");
    }
    if (exit_code != 0) {
        // 9009: cmd.exe found no such command.
        detail::Throw_Password_Command_Failed(exit_code,
                                              exit_code == 9009 ? "no such command" : "");
    }
    return detail::Password_From_Output(output);
}

}  // namespace tessaly
