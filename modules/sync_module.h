#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

#include "core/errors.h"
#include "desktop/secret_store.h"
#include "modules/module_library.h"

namespace tessaly {

class Sync_Engine;

// The sync module could not be loaded: its file is missing, or it is not
// this build's.
class Sync_Module_Error : public Tessaly_Error {
public:
    using Tessaly_Error::Tessaly_Error;
};

#if defined(_WIN32)
inline constexpr const char* Sync_Module_Name = "tessaly-sync-module.dll";
#else
inline constexpr const char* Sync_Module_Name = "tessaly-sync-module.so";
#endif

// The module in one file, loaded at the first call of Engine from any
// thread. The library stays loaded for the whole run; one that failed is
// tried again at the next call.
class Sync_Module {
public:
    explicit Sync_Module(std::filesystem::path file) : file_(std::move(file)) {}
    ~Sync_Module();
    Sync_Module(const Sync_Module&) = delete;
    Sync_Module& operator=(const Sync_Module&) = delete;

    // Throws Sync_Module_Error, its message for the status line.
    Sync_Engine& Engine();
    const std::filesystem::path& File() const { return file_; }

private:
    std::filesystem::path file_;
    std::mutex mutex_;
    Sync_Engine* engine_ = nullptr;
};

// "The calendar sync could not be started: ..." for that file.
std::string Sync_Module_Failure_Message(const std::filesystem::path& file);

// The running program's module. Never destroyed: a sync abandoned at close
// may still be running in its engine.
Sync_Module& Program_Sync_Module();

// The desktop's secret store, through the module: the window loads the
// store's libraries only when a password is read, kept or forgotten. A
// module that cannot be loaded fails as a missing store does.
class Module_Secret_Store final : public Secret_Store {
public:
    explicit Module_Secret_Store(Sync_Module& module) : module_(module) {}

    std::optional<std::string> Read_Password(const std::string& server,
                                             const std::string& user) override;
    void Store_Password(const std::string& server, const std::string& user,
                        const std::string& password) override;
    void Forget_Password(const std::string& server, const std::string& user) override;

private:
    Sync_Engine& Engine();

    Sync_Module& module_;
};

}  // namespace tessaly
