// The services that each take one or two Win32 calls.
#include "desktop/windows/windows_services.h"
// After windows.h, which it needs.
#include <shellapi.h>

#include "core/platform/windows/windows_text.h"
#include "core/short_date.h"
#include "desktop/platform_services.h"
#include "desktop/windows/windows_daily_task.h"
#include "modules/sync_module.h"

namespace tessaly {

namespace {

class Windows_Link_Opener final : public Link_Opener {
public:
    bool Open_Link(const std::string& link) override {
        if (!Is_Web_Or_Mail_Link(link)) {
            return false;
        }
        // Wide, since a link may hold letters beyond the ANSI code page.
        const auto wide = detail::Wide_From_Utf8(link);
        if (!wide) {
            return false;
        }
        const auto result = reinterpret_cast<INT_PTR>(
            ::ShellExecuteW(nullptr, L"open", wide->c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        return result > 32;
    }
};

class Windows_Startup_Show final : public Startup_Show {
public:
    std::optional<Startup_Show_Command> Command() override {
        STARTUPINFOA info{};
        info.cb = sizeof info;
        ::GetStartupInfoA(&info);
        if ((info.dwFlags & STARTF_USESHOWWINDOW) == 0) {
            return std::nullopt;
        }
        switch (info.wShowWindow) {
            case SW_SHOWMINIMIZED:
            case SW_MINIMIZE:
            case SW_SHOWMINNOACTIVE:
                return Startup_Show_Command::Minimised;
            case SW_SHOWMAXIMIZED:
                return Startup_Show_Command::Maximised;
            default:
                return Startup_Show_Command::Normal;
        }
    }
};

class Windows_Memory_Status final : public Memory_Status {
public:
    std::optional<Memory_Figures> Read() override {
        MEMORYSTATUSEX status{};
        status.dwLength = sizeof status;
        if (!::GlobalMemoryStatusEx(&status)) {
            return std::nullopt;
        }
        return Memory_Figures{status.ullTotalPhys, status.ullAvailPhys, status.ullTotalPageFile,
                              status.ullAvailPageFile};
    }
};

class Windows_Regional_Date_Format final : public Regional_Date_Format {
public:
    std::string Short_Date_Pattern() override { return Locale_Short_Date_Pattern(); }
};

}  // namespace

std::unique_ptr<Link_Opener> Make_Windows_Link_Opener() {
    return std::make_unique<Windows_Link_Opener>();
}

std::unique_ptr<Startup_Show> Make_Windows_Startup_Show() {
    return std::make_unique<Windows_Startup_Show>();
}

std::unique_ptr<Memory_Status> Make_Windows_Memory_Status() {
    return std::make_unique<Windows_Memory_Status>();
}

std::unique_ptr<Regional_Date_Format> Make_Windows_Regional_Date_Format() {
    return std::make_unique<Windows_Regional_Date_Format>();
}

Platform_Services Make_Platform_Services() {
    Platform_Services services;
    services.Auto_Start = Make_Windows_Run_Keys();
    services.Shell = Make_Windows_Shell_Folders();
    services.Editor = Make_Windows_Text_Editor();
    services.Links = Make_Windows_Link_Opener();
    services.File_System = Make_Windows_File_Routines();
    services.Startup = Make_Windows_Startup_Show();
    services.Memory = Make_Windows_Memory_Status();
    services.Region = Make_Windows_Regional_Date_Format();
    // The store's libraries load with the sync module, at the first use.
    services.Secrets = std::make_unique<Module_Secret_Store>(Program_Sync_Module());
    services.Daily_Task = Make_Windows_Daily_Notification_Task();
    return services;
}

}  // namespace tessaly
