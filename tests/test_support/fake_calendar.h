#pragma once

#include <atomic>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ui/dialogs/calendar_prompts.h"

namespace tessaly::test {

// The system's connection, counted; or one that fails as an unreachable
// server does. Used from the sync's own thread.
class Fake_Calendar_Connection final : public Calendar_Connection {
public:
    std::unique_ptr<Http_Transport> Connect(const CalDAV_Account& account,
                                            const std::string& password) override {
        ++connections;
        last_password = password;
        return real_.Connect(account, password);
    }

    std::atomic<int> connections = 0;
    std::string last_password;

private:
    System_Calendar_Connection real_;
};

// Answers the account form and the conflicts from queues, and records what
// was asked. With the queues empty it cancels the form and keeps both.
class Scripted_Calendar_Prompts final : public Calendar_Prompts {
public:
    std::optional<Account_Answer> Ask_Account(QWidget*, const CalDAV_Account& account,
                                              int hidden_contacts) override {
        asked_accounts.push_back(account);
        asked_hidden_counts.push_back(hidden_contacts);
        if (account_answers.empty()) {
            return std::nullopt;
        }
        const Account_Answer answer = account_answers.front();
        account_answers.pop_front();
        return answer;
    }

    Conflict_Choice Ask_Conflict(QWidget*, const Sync_Conflict& conflict) override {
        asked_conflicts.push_back(conflict);
        if (conflict_answers.empty()) {
            return Conflict_Choice::Keep_Both;
        }
        const Conflict_Choice choice = conflict_answers.front();
        conflict_answers.pop_front();
        return choice;
    }

    Deletion_Choice Ask_Deletions(QWidget*, const Deletion_Question& question) override {
        asked_deletions.push_back(question);
        if (deletion_answers.empty()) {
            return Deletion_Choice::Stop;
        }
        const Deletion_Choice choice = deletion_answers.front();
        deletion_answers.pop_front();
        return choice;
    }

    bool Ask_Trust_Certificate(QWidget*, const std::string& server,
                               const std::string& fingerprint) override {
        asked_certificates.emplace_back(server, fingerprint);
        if (trust_answers.empty()) {
            return false;
        }
        const bool trust = trust_answers.front();
        trust_answers.pop_front();
        return trust;
    }

    std::vector<std::pair<std::string, std::string>> asked_certificates;
    std::deque<bool> trust_answers;
    std::vector<CalDAV_Account> asked_accounts;
    std::vector<int> asked_hidden_counts;
    std::vector<Deletion_Question> asked_deletions;
    std::deque<Deletion_Choice> deletion_answers;
    std::deque<Account_Answer> account_answers;
    std::vector<Sync_Conflict> asked_conflicts;
    std::deque<Conflict_Choice> conflict_answers;
};

}  // namespace tessaly::test
