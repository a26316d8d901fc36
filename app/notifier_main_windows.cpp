// tessaly-notify.exe: shows the balloon that `tessaly-report --notify` made
// from an icon in the notification area, and opens Tessaly when the balloon
// or the icon is clicked. A plain Win32 program, started detached by the
// tool: it says "shown" on its output once the balloon is up, then stays
// until the balloon is clicked, closed or gone, and at most a few minutes.
//   tessaly-notify normal|critical < TEXT
// The daily scheduled task starts it as `tessaly-notify --daily`: it then
// runs the sync and `tessaly-report --notify` without console windows.
#include <windows.h>

#include <shellapi.h>
#include <shobjidl.h>

#include <optional>
#include <string>
#include <string_view>

#include "app/notification.h"
#include "app/notification_balloon.h"
#include "app/report_tool.h"
#include "core/platform/windows/windows_text.h"
#include "core/program_identity.h"

namespace {

using namespace tessaly;

constexpr UINT Icon_Message = WM_APP + 1;
constexpr UINT Icon_Id = 1;
constexpr UINT_PTR Stay_Timer = 1;
// Long enough for the shell's own display time and a user who looks late.
constexpr UINT Longest_Stay_Ms = 5 * 60 * 1000;
// The icon that the program's resource file gives.
constexpr int Program_Icon_Resource = 1;
constexpr const wchar_t* Window_Class = L"Tessaly_Notifier";
constexpr const wchar_t* Program_To_Open = L"Tessaly.exe";

HANDLE Output() {
    return ::GetStdHandle(STD_OUTPUT_HANDLE);
}

void Say(std::string_view text) {
    const HANDLE out = Output();
    if (out == nullptr || out == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD wrote = 0;
    ::WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr);
}

// The tool reads its output until it closes: nothing more comes.
void Close_Output() {
    const HANDLE out = Output();
    if (out != nullptr && out != INVALID_HANDLE_VALUE) {
        ::CloseHandle(out);
    }
    ::SetStdHandle(STD_OUTPUT_HANDLE, nullptr);
    ::SetStdHandle(STD_ERROR_HANDLE, nullptr);
}

bool Read_Text(std::string& text) {
    const HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
    // At a console it would wait for a body nobody is going to type.
    if (in == nullptr || in == INVALID_HANDLE_VALUE || ::GetFileType(in) == FILE_TYPE_CHAR) {
        return false;
    }
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        text.append(buffer, got);
        if (text.size() > Longest_Notification_Body) {
            return false;
        }
    }
    return true;
}

// The text within the field's room, cut at a character.
template <std::size_t Size>
void Copy_Field(wchar_t (&field)[Size], const std::string& utf8) {
    const std::wstring wide =
        detail::Wide_From_Utf8(Cut_To_Units(utf8, Size - 1)).value_or(std::wstring(L"?"));
    const std::size_t length = wide.size() < Size ? wide.size() : Size - 1;
    wide.copy(field, length);
    field[length] = L'\0';
}

std::wstring Own_Folder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

// Tessaly beside this program; a window already running takes the start's
// hand-over and comes forward, which this click allows it.
void Open_Tessaly() {
    ::AllowSetForegroundWindow(ASFW_ANY);
    const std::wstring folder = Own_Folder();
    const std::wstring program = folder + Program_To_Open;
    std::wstring command = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
}

NOTIFYICONDATAW Icon_Data(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = Icon_Id;
    return data;
}

LRESULT CALLBACK Window_Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == Icon_Message) {
        // LOWORD holds the event both in the old form and in version 4's.
        switch (LOWORD(lparam)) {
            case NIN_BALLOONUSERCLICK:
            case NIN_SELECT:
            case NIN_KEYSELECT:
            case WM_LBUTTONUP:
                Open_Tessaly();
                ::PostQuitMessage(0);
                return 0;
            case NIN_BALLOONTIMEOUT:
            case NIN_BALLOONHIDE:
                ::PostQuitMessage(0);
                return 0;
            default:
                return 0;
        }
    }
    if (message == WM_TIMER && wparam == Stay_Timer) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wparam, lparam);
}

// Runs a program of this folder without a console window and waits for it,
// at most that long; its exit code, or none where it could not start or ran
// too long.
std::optional<DWORD> Run_Unseen(const wchar_t* program_name, const wchar_t* arguments,
                                DWORD longest_ms) {
    const std::wstring folder = Own_Folder();
    const std::wstring program = folder + program_name;
    std::wstring command = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE,
                          CREATE_NO_WINDOW, nullptr, folder.empty() ? nullptr : folder.c_str(),
                          &startup, &process)) {
        return std::nullopt;
    }
    ::CloseHandle(process.hThread);
    std::optional<DWORD> code;
    DWORD exit_code = 0;
    if (::WaitForSingleObject(process.hProcess, longest_ms) == WAIT_OBJECT_0 &&
        ::GetExitCodeProcess(process.hProcess, &exit_code)) {
        code = exit_code;
    }
    ::CloseHandle(process.hProcess);
    return code;
}

// The scheduled task's run: the calendar sync (when an account is set), so
// that events added on the server are announced too, then the notification.
// Both are console programs: started from here, no console window flashes
// up at log-on or at 09:00. A failed sync still lets the report notify.
int Run_Daily() {
    constexpr DWORD Longest_Sync_Ms = 4 * 60 * 1000;
    constexpr DWORD Longest_Report_Ms = 30 * 1000;
    Run_Unseen(L"tessaly-sync.exe", L"--quiet --if-account", Longest_Sync_Ms);
    const std::optional<DWORD> report =
        Run_Unseen(L"tessaly-report.exe", L"--notify", Longest_Report_Ms);
    return report ? static_cast<int>(*report) : Report_Tool_Notification_Unavailable;
}

int Usage() {
    Say(std::string(Notifier_Name) + ": this program is started by '" + Report_Tool_Name +
        " --notify'\n");
    return Report_Tool_Usage;
}

int Show(HINSTANCE instance) {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    const std::wstring urgency = argv != nullptr && argc == 2 ? argv[1] : L"";
    ::LocalFree(argv);
    if (urgency == L"--daily") {
        return Run_Daily();
    }
    std::string text;
    if ((urgency != L"normal" && urgency != L"critical") || !Read_Text(text)) {
        return Usage();
    }
    const bool critical = urgency == L"critical";

    // Windows 10 and 11 show the balloon as a notification of the program
    // that this ID names: the one the Start-menu shortcut carries.
    const std::wstring model_id =
        detail::Wide_From_Utf8(Windows_App_User_Model_Id).value_or(std::wstring());
    ::SetCurrentProcessExplicitAppUserModelID(model_id.c_str());

    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = Window_Procedure;
    window_class.hInstance = instance;
    window_class.lpszClassName = Window_Class;
    ::RegisterClassExW(&window_class);
    // Never shown: it only takes the icon's messages.
    const HWND window = ::CreateWindowExW(0, Window_Class, L"Tessaly", WS_OVERLAPPED, 0, 0, 0, 0,
                                          nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        Say(std::string(Report_Tool_Name) + ": no notification can be shown: " + Notifier_Name +
            " could not make its window\n");
        return Report_Tool_Notification_Unavailable;
    }

    NOTIFYICONDATAW icon = Icon_Data(window);
    icon.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE | NIF_INFO | NIF_SHOWTIP;
    icon.uCallbackMessage = Icon_Message;
    icon.hIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(Program_Icon_Resource),
                                                 IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                 ::GetSystemMetrics(SM_CYSMICON), 0));
    Copy_Field(icon.szTip, Notification_App_Name);
    Copy_Field(icon.szInfoTitle, std::string(critical ? "Due today: " : "") + Notification_Summary);
    Copy_Field(icon.szInfo, text);
    // Due today: the system's warning sign; otherwise the program's own icon.
    icon.dwInfoFlags = critical ? NIIF_WARNING : NIIF_USER | NIIF_LARGE_ICON;
    icon.hBalloonIcon = icon.hIcon;
    if (!::Shell_NotifyIconW(NIM_ADD, &icon)) {
        Say(std::string(Report_Tool_Name) +
            ": no notification can be shown: the notification area did not take the icon\n");
        return Report_Tool_Notification_Unavailable;
    }
    icon.uVersion = NOTIFYICON_VERSION_4;
    ::Shell_NotifyIconW(NIM_SETVERSION, &icon);
    Say("shown\n");
    Close_Output();

    ::SetTimer(window, Stay_Timer, Longest_Stay_Ms, nullptr);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    NOTIFYICONDATAW removed = Icon_Data(window);
    ::Shell_NotifyIconW(NIM_DELETE, &removed);
    ::DestroyWindow(window);
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return Show(instance);
}
