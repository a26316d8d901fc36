#pragma once

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "caldav/http_transport.h"
#include "core/short_date.h"
#include "sync/sync_account.h"
#include "sync/sync_plan.h"
#include "sync/sync_run.h"

class QWidget;

namespace tessaly {

class Secret_Store;
class Sync_Engine;
class Sync_Module;

// How the window reaches a calendar server, so that tests can stand in for
// the network. Called on a thread of its own, never the window's.
class Calendar_Connection {
public:
    virtual ~Calendar_Connection() = default;
    virtual std::unique_ptr<Http_Transport> Connect(const CalDAV_Account& account,
                                                    const std::string& password) = 0;
    // What runs the sync and reads the server over Connect's transports:
    // the program's sync module, loaded at the first call. Throws
    // Sync_Module_Error where it cannot be loaded.
    virtual Sync_Engine& Engine();
};

// HTTP and HTTPS as the system offers them, from the sync module.
class System_Calendar_Connection final : public Calendar_Connection {
public:
    // The program's own module.
    System_Calendar_Connection();
    explicit System_Calendar_Connection(Sync_Module& module) : module_(module) {}

    std::unique_ptr<Http_Transport> Connect(const CalDAV_Account& account,
                                            const std::string& password) override;
    Sync_Engine& Engine() override;

private:
    Sync_Module& module_;
};

// The calendars the account's home holds, found from the address as the
// sync finds them. Throws CalDAV_Error, or Sync_Module_Error.
std::vector<CalDAV_Calendar> Find_Calendars(Calendar_Connection& connection,
                                            const CalDAV_Account& account,
                                            const std::string& password);
// The address books of the same account, found as the calendars are.
std::vector<CardDAV_Address_Book> Find_Address_Books(Calendar_Connection& connection,
                                                     const CalDAV_Account& account,
                                                     const std::string& password);

// The questions of a sync, so that tests can answer them: the account form
// and a conflict.
class Calendar_Prompts {
public:
    virtual ~Calendar_Prompts() = default;

    struct Account_Answer {
        // An empty address: the user forgot the account.
        CalDAV_Account Account;
        // Empty: the password kept stays.
        std::string Password;
        // The address books' names the server gave, by URL.
        std::map<std::string, std::string> Address_Book_Names;
        // The contacts' dates the user hid are to come back.
        bool Show_Hidden_Again = false;
    };
    // None when the user cancels. `hidden_contacts`: how many contacts'
    // dates the user hid from the list.
    virtual std::optional<Account_Answer> Ask_Account(QWidget* parent,
                                                      const CalDAV_Account& account,
                                                      int hidden_contacts) = 0;
    virtual Conflict_Choice Ask_Conflict(QWidget* parent, const Sync_Conflict& conflict) = 0;
    // A sync about to delete more than the guard allows.
    virtual Deletion_Choice Ask_Deletions(QWidget* parent, const Deletion_Question& question) = 0;
    // The server showed a certificate the system does not trust: whether to
    // trust this one (its SHA-256 fingerprint) for the server from now on.
    virtual bool Ask_Trust_Certificate(QWidget* parent, const std::string& server,
                                       const std::string& fingerprint) = 0;
};

// The real form and question.
class Qt_Calendar_Prompts final : public Calendar_Prompts {
public:
    Qt_Calendar_Prompts(Calendar_Connection& connection, Secret_Store& secrets,
                        Short_Date_Formatter short_date)
        : connection_(connection), secrets_(secrets), short_date_(std::move(short_date)) {}

    std::optional<Account_Answer> Ask_Account(QWidget* parent, const CalDAV_Account& account,
                                              int hidden_contacts) override;
    Conflict_Choice Ask_Conflict(QWidget* parent, const Sync_Conflict& conflict) override;
    Deletion_Choice Ask_Deletions(QWidget* parent, const Deletion_Question& question) override;
    bool Ask_Trust_Certificate(QWidget* parent, const std::string& server,
                               const std::string& fingerprint) override;

private:
    Calendar_Connection& connection_;
    Secret_Store& secrets_;
    Short_Date_Formatter short_date_;
};

// The conflict question's text: which entry, and each side's version.
QString Conflict_Question(const Sync_Conflict& conflict, const Short_Date_Formatter& short_date);

// The guard's question: how many entries or events would go, and why.
QString Deletion_Question_Text(const Deletion_Question& question);

// The question before trusting a server's own certificate.
QString Trust_Question_Text(const std::string& server, const std::string& fingerprint);

}  // namespace tessaly
