#pragma once

// The calendar sync's module as the window sees it. The module holds what
// needs HTTP, TLS, XML and the desktop's secret store, so that the window
// starts without those libraries and loads them at the first sync. Both
// sides are built together by one compiler; nothing thrown crosses the edge:
// each side turns a failure into an Engine_Failure and back.
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "caldav/caldav_client.h"
#include "caldav/http_transport.h"
#include "core/event_list.h"
#include "desktop/secret_store.h"
#include "sync/sync_account.h"
#include "sync/sync_plan.h"
#include "sync/sync_session.h"

namespace tessaly {

// Raised with any change to the types below: a module of another build is
// refused instead of misread.
inline constexpr int Sync_Engine_Version = 2;

// The module's one export, looked up by this name: the engine, or null when
// the version asked for is not the module's.
inline constexpr const char* Sync_Engine_Factory_Name = "tessaly_create_sync_engine";

// A failure caught on one side of the edge, carried to the other as a value.
struct Engine_Failure {
    enum class Kind { CalDAV, Secret_Store, Other };
    Kind Type = Kind::Other;
    CalDAV_Failure Failure = CalDAV_Failure::Unreachable;
    long Status = 0;
    std::string Message;
    std::string Certificate_Fingerprint;
};

template <typename Value>
using Engine_Result = std::variant<Value, Engine_Failure>;

// The failure being handled; only inside a catch block.
inline Engine_Failure Current_Failure() {
    try {
        throw;
    } catch (const CalDAV_Error& error) {
        return {Engine_Failure::Kind::CalDAV, error.Failure(), error.Status(), error.what(),
                error.Certificate_Fingerprint()};
    } catch (const Secret_Store_Error& error) {
        return {Engine_Failure::Kind::Secret_Store, {}, 0, error.what(), {}};
    } catch (const std::exception& error) {
        return {Engine_Failure::Kind::Other, {}, 0, error.what(), {}};
    } catch (...) {
        return {Engine_Failure::Kind::Other, {}, 0, "The calendar sync failed unexpectedly.", {}};
    }
}

// Throws the failure again as what it was on the other side.
[[noreturn]] inline void Throw_Failure(const Engine_Failure& failure) {
    switch (failure.Type) {
        case Engine_Failure::Kind::CalDAV:
            throw CalDAV_Error(failure.Failure, failure.Status, failure.Message,
                               failure.Certificate_Fingerprint);
        case Engine_Failure::Kind::Secret_Store:
            throw Secret_Store_Error(failure.Message);
        case Engine_Failure::Kind::Other:
            break;
    }
    throw Tessaly_Error(failure.Message);
}

// Calls `work`, its failure caught as a value.
template <typename Work>
auto Catch_Failure(Work&& work) -> Engine_Result<decltype(work())> {
    try {
        return work();
    } catch (...) {
        return Current_Failure();
    }
}

template <typename Work>
std::optional<Engine_Failure> Catch_Void_Failure(Work&& work) {
    try {
        work();
        return std::nullopt;
    } catch (...) {
        return Current_Failure();
    }
}

template <typename Value>
Value Value_Or_Throw(Engine_Result<Value>&& result) {
    if (auto* failure = std::get_if<Engine_Failure>(&result)) {
        Throw_Failure(*failure);
    }
    return std::move(std::get<Value>(result));
}

inline void Throw_If_Failed(const std::optional<Engine_Failure>& failure) {
    if (failure) {
        Throw_Failure(*failure);
    }
}

// The front end's list, as Sync_List, with failures as values.
class Sync_Engine_List {
public:
    virtual ~Sync_Engine_List() = default;
    virtual Engine_Result<std::vector<TName_And_Event_Data>> Entries() = 0;
    // False where nothing was saved (the front end has said why).
    virtual bool Save(const std::vector<TName_And_Event_Data>& before,
                      const std::vector<TName_And_Event_Data>& after) = 0;
};

// Sync_Session_Hooks with failures as values. Decide and Ask_Deletions
// throw nothing.
struct Sync_Engine_Hooks {
    std::function<Engine_Result<std::unique_ptr<Http_Transport>>()> Connect;
    std::function<Conflict_Choice(const Sync_Conflict&)> Decide;
    std::function<Deletion_Choice(const Deletion_Question&)> Ask_Deletions;
    // The contacts' dates the user hid: never added again.
    std::vector<std::string> Hidden_Contacts;
};

// What the module does for the window. A transport handed to the module
// must be one it made (Connect): only its own transports' failures are
// known to it.
class Sync_Engine {
public:
    virtual ~Sync_Engine() = default;

    // Run_Sync_Session.
    virtual Engine_Result<Sync_Session_Result> Run_Session(Sync_Engine_List& list,
                                                           const CalDAV_Account& account,
                                                           const std::filesystem::path& state_file,
                                                           std::chrono::sys_seconds stamp,
                                                           const Sync_Engine_Hooks& hooks) = 0;
    // The system's transport with the account's options.
    virtual Engine_Result<std::unique_ptr<Http_Transport>> Connect(const CalDAV_Account& account,
                                                                   const std::string& password) = 0;
    // The calendars of the home found from the server's address.
    virtual Engine_Result<std::vector<CalDAV_Calendar>> Find_Calendars(
        Http_Transport& transport, const std::string& server) = 0;
    // The address books of the home found from the same address.
    virtual Engine_Result<std::vector<CardDAV_Address_Book>> Find_Address_Books(
        Http_Transport& transport, const std::string& server) = 0;

    // The desktop's secret store (Secret_Store).
    virtual Engine_Result<std::optional<std::string>> Read_Password(const std::string& server,
                                                                    const std::string& user) = 0;
    virtual std::optional<Engine_Failure> Store_Password(const std::string& server,
                                                         const std::string& user,
                                                         const std::string& password) = 0;
    virtual std::optional<Engine_Failure> Forget_Password(const std::string& server,
                                                          const std::string& user) = 0;
};

extern "C" {
using Sync_Engine_Factory = Sync_Engine* (*)(int version);
}

// The engine itself, for the module's export and for tests that run it in
// their own process.
std::unique_ptr<Sync_Engine> Make_Sync_Engine();

}  // namespace tessaly
