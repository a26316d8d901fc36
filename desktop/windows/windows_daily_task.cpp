#include "desktop/windows/windows_daily_task.h"

#include <windows.h>
// After windows.h, which they need.
#include <oleauto.h>
#include <sddl.h>
#include <taskschd.h>

#include <cstdio>
#include <string>

#include "core/platform/windows/windows_text.h"
#include "desktop/daily_task_definition.h"

namespace tessaly {

namespace {

template <typename Interface>
class Com_Pointer {
public:
    Com_Pointer() = default;
    ~Com_Pointer() {
        if (pointer_ != nullptr) {
            pointer_->Release();
        }
    }
    Com_Pointer(const Com_Pointer&) = delete;
    Com_Pointer& operator=(const Com_Pointer&) = delete;
    Interface* operator->() const { return pointer_; }
    Interface** Out() { return &pointer_; }
    void** Out_Void() { return reinterpret_cast<void**>(&pointer_); }

private:
    Interface* pointer_ = nullptr;
};

class Bstr {
public:
    explicit Bstr(const std::wstring& text)
        : text_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { ::SysFreeString(text_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    operator BSTR() const { return text_; }

private:
    BSTR text_;
};

// COM on this thread for the call; a thread that has it already (the
// window's) keeps its own.
class Com_Scope {
public:
    Com_Scope() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~Com_Scope() {
        if (SUCCEEDED(result_)) {
            ::CoUninitialize();
        }
    }
    Com_Scope(const Com_Scope&) = delete;
    Com_Scope& operator=(const Com_Scope&) = delete;
    bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }
    HRESULT Result() const { return result_; }

private:
    HRESULT result_;
};

bool Is_Not_Found(HRESULT result) {
    return result == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ||
           result == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

std::string Reason(HRESULT result) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(result), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason = length > 0 ? detail::Utf8_From_Wide(std::wstring_view(text, length)) : "";
    ::LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == ' ' || reason.back() == '.')) {
        reason.pop_back();
    }
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
    return reason.empty() ? std::string("error ") + code : reason + " (" + code + ")";
}

// The user this process runs as, as a SID: the task's trigger and principal.
std::wstring Current_User_Sid() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return {};
    }
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::string buffer(size, '\0');
    std::wstring sid;
    if (size > 0 && ::GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        wchar_t* text = nullptr;
        if (::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid,
                                     &text)) {
            sid = text;
            ::LocalFree(text);
        }
    }
    ::CloseHandle(token);
    return sid;
}

class Windows_Daily_Notification_Task final : public Daily_Notification_Task {
public:
    State Query() override {
        const Com_Scope com;
        Com_Pointer<ITaskFolder> folder;
        if (!Open_Root(com, folder)) {
            return State::Unknown;
        }
        Com_Pointer<IRegisteredTask> task;
        const HRESULT result = folder->GetTask(Bstr(Task_Name()), task.Out());
        if (SUCCEEDED(result)) {
            return State::Present;
        }
        if (Is_Not_Found(result)) {
            return State::Absent;
        }
        failure_ = "the Task Scheduler could not be asked: " + Reason(result);
        return State::Unknown;
    }

    bool Add(const std::filesystem::path& program_folder) override {
        const Com_Scope com;
        Com_Pointer<ITaskFolder> folder;
        if (!Open_Root(com, folder)) {
            return false;
        }
        const std::wstring user = Current_User_Sid();
        if (user.empty()) {
            failure_ = "the user's account could not be read: " +
                       Reason(HRESULT_FROM_WIN32(::GetLastError()));
            return false;
        }
        const std::string definition = Daily_Task_Definition(
            detail::Utf8_From_Wide(program_folder.wstring()), detail::Utf8_From_Wide(user));
        const std::wstring wide_definition =
            detail::Wide_From_Utf8(definition).value_or(std::wstring());
        VARIANT none;
        ::VariantInit(&none);
        Com_Pointer<IRegisteredTask> task;
        const HRESULT result =
            folder->RegisterTask(Bstr(Task_Name()), Bstr(wide_definition), TASK_CREATE_OR_UPDATE,
                                 none, none, TASK_LOGON_INTERACTIVE_TOKEN, none, task.Out());
        if (FAILED(result)) {
            failure_ = "the Task Scheduler refused the task: " + Reason(result);
            return false;
        }
        return true;
    }

    bool Remove() override {
        const Com_Scope com;
        Com_Pointer<ITaskFolder> folder;
        if (!Open_Root(com, folder)) {
            return false;
        }
        const HRESULT result = folder->DeleteTask(Bstr(Task_Name()), 0);
        if (FAILED(result) && !Is_Not_Found(result)) {
            failure_ = "the Task Scheduler did not remove the task: " + Reason(result);
            return false;
        }
        return true;
    }

    std::string Failure() const override { return failure_; }

private:
    static std::wstring Task_Name() {
        return detail::Wide_From_Utf8(Daily_Task_Name).value_or(std::wstring());
    }

    bool Open_Root(const Com_Scope& com, Com_Pointer<ITaskFolder>& folder) {
        if (!com.Usable()) {
            failure_ = "COM could not be started: " + Reason(com.Result());
            return false;
        }
        Com_Pointer<ITaskService> service;
        HRESULT result = ::CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_ITaskService, service.Out_Void());
        if (SUCCEEDED(result)) {
            VARIANT none;
            ::VariantInit(&none);
            result = service->Connect(none, none, none, none);
        }
        if (SUCCEEDED(result)) {
            result = service->GetFolder(Bstr(L"\\"), folder.Out());
        }
        if (FAILED(result)) {
            failure_ = "the Task Scheduler could not be reached: " + Reason(result);
            return false;
        }
        return true;
    }

    std::string failure_;
};

}  // namespace

std::unique_ptr<Daily_Notification_Task> Make_Windows_Daily_Notification_Task() {
    return std::make_unique<Windows_Daily_Notification_Task>();
}

}  // namespace tessaly
