#include "test_support/own_home.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <stdexcept>
#include <string>
#include <system_error>

namespace tessaly::test {

namespace {

namespace fs = std::filesystem;

// Made once per process; the pointer outlives every static destructor.
fs::path* own_root = nullptr;

#ifdef _WIN32
using Process_Id = DWORD;
Process_Id Current_Process() {
    return ::GetCurrentProcessId();
}
#else
using Process_Id = pid_t;
Process_Id Current_Process() {
    return ::getpid();
}
#endif

Process_Id owner = 0;

void Set_Variable(const char* name, const fs::path& value) {
#ifdef _WIN32
    const std::wstring wide_name(name, name + std::char_traits<char>::length(name));
    if (::_wputenv_s(wide_name.c_str(), value.c_str()) != 0) {
        throw std::runtime_error(std::string("cannot set ") + name);
    }
#else
    if (::setenv(name, value.c_str(), 1) != 0) {
        throw std::runtime_error(std::string("cannot set ") + name);
    }
#endif
}

// Not a Temp_Dir: this one must outlive every test's static objects.
fs::path Make_Root() {
    const fs::path temp = fs::temp_directory_path();
#ifdef _WIN32
    // No mkdtemp: a name from the clock, made only if new.
    for (unsigned attempt = 0;; ++attempt) {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        const fs::path candidate =
            temp / ("tessaly-home-" + std::to_string(stamp) + "-" + std::to_string(attempt));
        if (fs::create_directory(candidate)) {
            return candidate;
        }
    }
#else
    std::string pattern = (temp / "tessaly-home-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::system_error(errno, std::generic_category(), "mkdtemp");
    }
    return pattern;
#endif
}

fs::path Make_Folder(const fs::path& folder) {
    fs::create_directories(folder);
    return folder;
}

void Remove_Own_Root() {
    // A forked child that exits must not take its parent's home away.
    if (own_root == nullptr || Current_Process() != owner) {
        return;
    }
    std::error_code ignored;
    fs::permissions(*own_root, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (auto entry = fs::recursive_directory_iterator(*own_root, ignored);
         entry != fs::recursive_directory_iterator(); entry.increment(ignored)) {
        // A test may have left a folder read-only.
        if (entry->is_directory(ignored) && !entry->is_symlink(ignored)) {
            fs::permissions(entry->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    fs::remove_all(*own_root, ignored);
}

// A test program started by another test shares that one's home: the two
// must find the same runtime folder, settings and locks.
constexpr char Root_Variable[] = "TESSALY_TEST_HOME_ROOT";

fs::path Inherited_Root() {
#ifdef _WIN32
    const wchar_t* value = ::_wgetenv(L"TESSALY_TEST_HOME_ROOT");
#else
    const char* value = std::getenv(Root_Variable);
#endif
    if (value == nullptr || *value == 0) {
        return {};
    }
    std::error_code ignored;
    return fs::is_directory(value, ignored) ? fs::path(value) : fs::path();
}

}  // namespace

fs::path Use_Own_Home() {
    if (own_root == nullptr) {
        if (fs::path inherited = Inherited_Root(); !inherited.empty()) {
            // Its maker removes it.
            own_root = new fs::path(std::move(inherited));
        } else {
            // Never destroyed: Remove_Own_Root takes the folder away at exit.
            own_root = new fs::path(Make_Root());
            owner = Current_Process();
            std::atexit(Remove_Own_Root);
            Set_Variable(Root_Variable, *own_root);
        }
    }
    if (owner != Current_Process()) {
        // The variables stay as the starting test set them: it may point one
        // elsewhere for its children.
        return *own_root / "home";
    }
    const fs::path home = Make_Folder(*own_root / "home");
    Set_Variable("HOME", home);
#ifdef _WIN32
    Set_Variable("USERPROFILE", home);
    Set_Variable("APPDATA", Make_Folder(home / "AppData" / "Roaming"));
    Set_Variable("LOCALAPPDATA", Make_Folder(home / "AppData" / "Local"));
#else
    Set_Variable("XDG_CONFIG_HOME", Make_Folder(home / ".config"));
    Set_Variable("XDG_DATA_HOME", Make_Folder(home / ".local" / "share"));
    Set_Variable("XDG_STATE_HOME", Make_Folder(home / ".local" / "state"));
    Set_Variable("XDG_CACHE_HOME", Make_Folder(home / ".cache"));
    // Qt refuses a runtime folder that others may enter.
    const fs::path runtime = Make_Folder(*own_root / "runtime");
    fs::permissions(runtime, fs::perms::owner_all);
    Set_Variable("XDG_RUNTIME_DIR", runtime);
#endif
    return home;
}

bool Enter_Own_Home() {
    try {
        Use_Own_Home();
        return true;
    } catch (const std::exception& error) {
        std::cerr << "no home of its own for the tests: " << error.what() << '\n';
        return false;
    }
}

}  // namespace tessaly::test
