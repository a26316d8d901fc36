// The engine behind the sync module: the session, the transport, the
// calendars and the secret store, each failure caught and returned.
#include "modules/sync_engine.h"

#include <mutex>

#include "desktop/platform_services.h"

namespace tessaly {

namespace {

// The front end's list as the session reads it: a failure to give the
// entries is thrown again here, on the module's side.
class Engine_List_Adaptor final : public Sync_List {
public:
    explicit Engine_List_Adaptor(Sync_Engine_List& list) : list_(list) {}

    std::vector<TName_And_Event_Data> Entries() override { return Value_Or_Throw(list_.Entries()); }
    bool Save(const std::vector<TName_And_Event_Data>& before,
              const std::vector<TName_And_Event_Data>& after) override {
        return list_.Save(before, after);
    }

private:
    Sync_Engine_List& list_;
};

class System_Sync_Engine final : public Sync_Engine {
public:
    Engine_Result<Sync_Session_Result> Run_Session(Sync_Engine_List& list,
                                                   const CalDAV_Account& account,
                                                   const std::filesystem::path& state_file,
                                                   std::chrono::sys_seconds stamp,
                                                   const Sync_Engine_Hooks& hooks) override {
        return Catch_Failure([&] {
            Engine_List_Adaptor adaptor(list);
            Sync_Session_Hooks session_hooks;
            session_hooks.Connect = [&hooks] { return Value_Or_Throw(hooks.Connect()); };
            session_hooks.Decide = hooks.Decide;
            session_hooks.Ask_Deletions = hooks.Ask_Deletions;
            session_hooks.Hidden_Contacts = hooks.Hidden_Contacts;
            return Run_Sync_Session(adaptor, account, state_file, stamp, session_hooks);
        });
    }

    Engine_Result<std::unique_ptr<Http_Transport>> Connect(const CalDAV_Account& account,
                                                           const std::string& password) override {
        return Catch_Failure(
            [&] { return Make_Http_Transport(Account_Transport_Options(account, password)); });
    }

    Engine_Result<std::vector<CalDAV_Calendar>> Find_Calendars(Http_Transport& transport,
                                                               const std::string& server) override {
        return Catch_Failure([&] {
            CalDAV_Client client(transport, server);
            return client.List_Calendars(client.Find_Calendar_Home(server));
        });
    }

    Engine_Result<std::vector<CardDAV_Address_Book>> Find_Address_Books(
        Http_Transport& transport, const std::string& server) override {
        return Catch_Failure([&] {
            CalDAV_Client client(transport, server);
            return client.List_Address_Books(client.Find_Address_Book_Home(server));
        });
    }

    Engine_Result<std::optional<std::string>> Read_Password(const std::string& server,
                                                            const std::string& user) override {
        return Catch_Failure([&] { return Store().Read_Password(server, user); });
    }

    std::optional<Engine_Failure> Store_Password(const std::string& server, const std::string& user,
                                                 const std::string& password) override {
        return Catch_Void_Failure([&] { Store().Store_Password(server, user, password); });
    }

    std::optional<Engine_Failure> Forget_Password(const std::string& server,
                                                  const std::string& user) override {
        return Catch_Void_Failure([&] { Store().Forget_Password(server, user); });
    }

private:
    // Made at the first use: the account form and the sync's thread may
    // both come first.
    Secret_Store& Store() {
        std::call_once(store_made_, [this] { store_ = Make_Secret_Store(); });
        return *store_;
    }

    std::once_flag store_made_;
    std::unique_ptr<Secret_Store> store_;
};

}  // namespace

std::unique_ptr<Sync_Engine> Make_Sync_Engine() {
    return std::make_unique<System_Sync_Engine>();
}

}  // namespace tessaly
