// The window's side of the sync module: finding it, loading it at the first
// use, and the secret store through it.
#include "modules/sync_module.h"

#include "core/platform/process.h"
#include "modules/sync_engine.h"

namespace tessaly {

std::string Sync_Module_Failure_Message(const std::filesystem::path& file) {
    const std::u8string name = file.u8string();
    return "The calendar sync could not be started: " + std::string(name.begin(), name.end()) +
           " is missing or does not fit this program's version.";
}

Sync_Module::~Sync_Module() {
    delete engine_;
}

Sync_Engine& Sync_Module::Engine() {
    const std::lock_guard lock(mutex_);
    if (engine_ == nullptr) {
        const auto factory = reinterpret_cast<Sync_Engine_Factory>(
            detail::Load_Module_Function(file_, Sync_Engine_Factory_Name));
        if (factory != nullptr) {
            engine_ = factory(Sync_Engine_Version);
        }
        if (engine_ == nullptr) {
            throw Sync_Module_Error(Sync_Module_Failure_Message(file_));
        }
    }
    return *engine_;
}

Sync_Module& Program_Sync_Module() {
    static Sync_Module* const module =
        new Sync_Module(Module_Path(Executable_Path(nullptr), Sync_Module_Name));
    return *module;
}

Sync_Engine& Module_Secret_Store::Engine() {
    try {
        return module_.Engine();
    } catch (const Sync_Module_Error& error) {
        throw Secret_Store_Error(error.what());
    }
}

std::optional<std::string> Module_Secret_Store::Read_Password(const std::string& server,
                                                              const std::string& user) {
    return Value_Or_Throw(Engine().Read_Password(server, user));
}

void Module_Secret_Store::Store_Password(const std::string& server, const std::string& user,
                                         const std::string& password) {
    Throw_If_Failed(Engine().Store_Password(server, user, password));
}

void Module_Secret_Store::Forget_Password(const std::string& server, const std::string& user) {
    Throw_If_Failed(Engine().Forget_Password(server, user));
}

}  // namespace tessaly
