#include <windows.h>

#include <chrono>
#include <iostream>
#include <string>
#include <thread>

#include "app/notification_balloon.h"
#include "app/notifier_launch.h"
#include "app/report_tool.h"

namespace tessaly {

namespace {

// The notifier says within this time whether its balloon is up. Generous:
// right after log-on, when the daily task runs, the shell may still be
// starting its notification area.
constexpr std::chrono::seconds Notifier_Answer_Time{60};
constexpr const char* Shown_Answer = "shown\n";

class Owned_Handle {
public:
    explicit Owned_Handle(HANDLE handle = nullptr) : handle_(handle) {}
    ~Owned_Handle() { Close(); }
    Owned_Handle(const Owned_Handle&) = delete;
    Owned_Handle& operator=(const Owned_Handle&) = delete;
    HANDLE Get() const { return handle_; }
    HANDLE* Out() { return &handle_; }
    void Close() {
        if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle_);
        }
        handle_ = nullptr;
    }

private:
    HANDLE handle_;
};

std::string System_Message(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message;
    for (DWORD i = 0; i < length; ++i) {
        // The system's texts are ASCII in English; anything else as "?".
        message += text[i] < 0x80 ? static_cast<char>(text[i]) : '?';
    }
    ::LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.')) {
        message.pop_back();
    }
    return message.empty() ? "error " + std::to_string(error) : message;
}

bool Write_All(HANDLE pipe, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        DWORD wrote = 0;
        if (!::WriteFile(pipe, text.data() + done, static_cast<DWORD>(text.size() - done), &wrote,
                         nullptr)) {
            return false;
        }
        done += wrote;
    }
    return true;
}

// What the notifier wrote until it closed its output, ended, or the time ran
// out; false for the latter.
bool Read_Answer(HANDLE pipe, HANDLE process, std::string& answer) {
    const auto deadline = std::chrono::steady_clock::now() + Notifier_Answer_Time;
    for (;;) {
        DWORD available = 0;
        if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) {
            return true;  // closed: the whole answer is in
        }
        if (available > 0) {
            char buffer[512];
            DWORD got = 0;
            if (!::ReadFile(pipe, buffer, available < sizeof buffer ? available : sizeof buffer,
                            &got, nullptr)) {
                return true;
            }
            answer.append(buffer, got);
            if (answer.size() > 4096) {
                return true;
            }
            continue;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        // A notifier that ended may leave its output to a process it started.
        if (::WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
            DWORD left = 0;
            if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &left, nullptr) || left == 0) {
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// The notifier runs on after this tool has ended, until its balloon is
// clicked or gone: it is started detached, and says on its output once the
// balloon is up. The body goes on its standard input, as on Linux.
int Run_Notifier(const std::filesystem::path& tool_executable,
                 const Coming_Events_Notification& notification, std::ostream& err) {
    const std::filesystem::path notifier =
        tool_executable.parent_path() / (std::string(Notifier_Name) + ".exe");
    const std::string shown_notifier = notifier.string();
    if (::GetFileAttributesW(notifier.c_str()) == INVALID_FILE_ATTRIBUTES) {
        err << Report_Tool_Name << ": notifications cannot be shown: \"" << shown_notifier
            << "\" is missing\n";
        return Report_Tool_Notification_Unavailable;
    }
    SECURITY_ATTRIBUTES inherited{};
    inherited.nLength = sizeof inherited;
    inherited.bInheritHandle = TRUE;
    Owned_Handle input_read;
    Owned_Handle input_write;
    Owned_Handle output_read;
    Owned_Handle output_write;
    if (!::CreatePipe(input_read.Out(), input_write.Out(), &inherited, 0) ||
        !::CreatePipe(output_read.Out(), output_write.Out(), &inherited, 0) ||
        !::SetHandleInformation(input_write.Get(), HANDLE_FLAG_INHERIT, 0) ||
        !::SetHandleInformation(output_read.Get(), HANDLE_FLAG_INHERIT, 0)) {
        err << Report_Tool_Name << ": " << Notifier_Name
            << " could not be started: " << System_Message(::GetLastError()) << "\n";
        return Report_Tool_Notification_Unavailable;
    }

    // It inherits its two pipe ends alone: an inherited standard output of
    // this tool would keep a caller reading it waiting for minutes.
    HANDLE inherit[] = {input_read.Get(), output_write.Get()};
    SIZE_T list_size = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &list_size);
    std::string list_bytes(list_size, '\0');
    auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(list_bytes.data());
    if (!::InitializeProcThreadAttributeList(attributes, 1, 0, &list_size) ||
        !::UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherit,
                                     sizeof inherit, nullptr, nullptr)) {
        err << Report_Tool_Name << ": " << Notifier_Name
            << " could not be started: " << System_Message(::GetLastError()) << "\n";
        return Report_Tool_Notification_Unavailable;
    }
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = input_read.Get();
    startup.StartupInfo.hStdOutput = output_write.Get();
    startup.StartupInfo.hStdError = output_write.Get();
    startup.lpAttributeList = attributes;
    const bool critical = notification.Urgency == Notification_Urgency::Critical;
    std::wstring command =
        L"\"" + notifier.wstring() + L"\" " + (critical ? L"critical" : L"normal");
    PROCESS_INFORMATION process{};
    // Out of the job of a scheduled task, which may end with the task; a job
    // that allows no breakaway keeps it.
    const DWORD flags =
        CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT | EXTENDED_STARTUPINFO_PRESENT;
    bool started = false;
    for (const DWORD extra : {static_cast<DWORD>(CREATE_BREAKAWAY_FROM_JOB), DWORD{0}}) {
        started = started ||
                  ::CreateProcessW(notifier.c_str(), command.data(), nullptr, nullptr, TRUE,
                                   flags | extra, nullptr, nullptr, &startup.StartupInfo, &process);
    }
    const DWORD start_error = ::GetLastError();
    ::DeleteProcThreadAttributeList(attributes);
    if (!started) {
        err << Report_Tool_Name << ": \"" << shown_notifier
            << "\" could not be started: " << System_Message(start_error) << "\n";
        return Report_Tool_Notification_Unavailable;
    }
    Owned_Handle process_handle(process.hProcess);
    ::CloseHandle(process.hThread);
    input_read.Close();
    output_write.Close();

    Write_All(input_write.Get(), Make_Balloon_Text(notification).Text);
    input_write.Close();
    std::string answer;
    const bool answered = Read_Answer(output_read.Get(), process_handle.Get(), answer);
    if (answered && answer == Shown_Answer) {
        return Report_Tool_Printed;
    }
    if (!answered) {
        err << Report_Tool_Name << ": \"" << shown_notifier << "\" showed nothing within "
            << Notifier_Answer_Time.count() << " seconds\n";
        ::TerminateProcess(process_handle.Get(), Report_Tool_Notification_Unavailable);
        return Report_Tool_Notification_Unavailable;
    }
    // It said why itself; its status counts.
    err << answer;
    DWORD status = Report_Tool_Notification_Unavailable;
    if (::WaitForSingleObject(process_handle.Get(), 5000) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(process_handle.Get(), &status) || status == 0) {
        status = Report_Tool_Notification_Unavailable;
    }
    return static_cast<int>(status);
}

}  // namespace

Notification_Poster System_Notification_Poster(const std::filesystem::path& tool_executable) {
    return [tool_executable](const Coming_Events_Notification& notification, std::ostream& err) {
        return Run_Notifier(tool_executable, notification, err);
    };
}

}  // namespace tessaly
