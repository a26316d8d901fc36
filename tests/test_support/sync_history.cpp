#include "test_support/sync_history.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <exception>
#include <functional>
#include <set>
#include <vector>

#include "core/entry_attributes.h"
#include "sync/event_resource.h"
#include "sync/sync_run.h"
#include "test_support/memory_caldav_server.h"

namespace tessaly::test {

namespace {

const auto Stamp = std::chrono::sys_seconds{std::chrono::hours{24 * 20795}};
constexpr std::size_t Most_Entries = 12;

// The history's bytes, one choice at a time; zeros once they run out.
class Choices {
public:
    explicit Choices(std::string_view bytes) : bytes_(bytes) {}
    bool Done() const { return at_ >= bytes_.size(); }
    std::size_t Next(std::size_t count) {
        const std::size_t byte =
            at_ < bytes_.size() ? static_cast<unsigned char>(bytes_[at_]) : std::size_t{0};
        ++at_;
        return byte % count;
    }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

constexpr std::array<const char*, 8> Names = {"Ann", "Bo", "Cy", "Di", "Ed", "Flo", "Gus", "Hal's"};
constexpr std::array<const char*, 4> Comments = {"", "note", "a,b;c\\d", "two\nlines"};
constexpr std::array<const char*, 3> Types = {"Birthday", "Wedding", "Anniversary"};
constexpr std::array<int, 4> Years = {1950, 1980, 2000, 2004};

void Set_Date(TName_And_Event_Data& entry, Choices& choices) {
    const int year = Years[choices.Next(Years.size())];
    const int month = 1 + static_cast<int>(choices.Next(12));
    const int day = 1 + static_cast<int>(choices.Next(29));
    entry.Orig_Date = Day_Number_Of(year, month, day);
}

TName_And_Event_Data New_Entry(Choices& choices) {
    TName_And_Event_Data entry;
    entry.Name = Names[choices.Next(Names.size())];
    Set_Date(entry, choices);
    entry.Event_Type = Types[choices.Next(Types.size())];
    entry.Comments = Comments[choices.Next(Comments.size())];
    return entry;
}

void Edit(TName_And_Event_Data& entry, Choices& choices) {
    switch (choices.Next(3)) {
        case 0:
            entry.Name = Names[choices.Next(Names.size())];
            break;
        case 1:
            Set_Date(entry, choices);
            break;
        default:
            entry.Comments = Comments[choices.Next(Comments.size())];
    }
}

std::string Shown(const TName_And_Event_Data& entry) {
    std::string shown = entry.Name + " " + std::to_string(static_cast<long>(entry.Orig_Date)) +
                        " " + entry.Event_Type + " [" + entry.Comments + "]";
    if (const auto lead = Read_Entry_Attributes(entry).Own_Lead) {
        shown += " lead " + std::to_string(*lead);
    }
    if (const auto uid = Read_Entry_Uid(entry)) {
        shown += " uid " + *uid;
    }
    return shown;
}

std::vector<std::string> Contents(const std::vector<TName_And_Event_Data>& list) {
    std::vector<std::string> contents;
    for (const auto& entry : list) {
        contents.push_back(Entry_Event_Content(entry));
    }
    std::sort(contents.begin(), contents.end());
    return contents;
}

// The lines of each content that tell entries apart.
std::string Joined(const std::vector<std::string>& contents) {
    std::string text;
    for (const auto& content : contents) {
        text += "   ";
        std::size_t at = 0;
        while (at < content.size()) {
            const std::size_t end = std::min(content.find('\n', at), content.size());
            const std::string_view line(content.data() + at, end - at);
            if (line.starts_with("DTSTART") || line.starts_with("SUMMARY") ||
                line.starts_with("DESCRIPTION") || line.starts_with("TRIGGER") ||
                line.starts_with("lead=")) {
                text += " " + std::string(line.substr(0, line.find('\r')));
            }
            at = end + 1;
        }
        text += "\n";
    }
    return text;
}

struct Device {
    char Name;
    std::vector<TName_And_Event_Data> List;
    Sync_State State;
    std::set<std::string> Deleted;  // UIDs the user deleted here
};

class History {
public:
    explicit History(std::string_view bytes) : choices_(bytes), client_(server_) {}

    Sync_History_Result Run();

private:
    void Step();
    void Sync(Device& device, Deletion_Choice answer);
    void Check_Second_Sync(const Device& device);
    void Check_Vanished(const Device& device, const std::vector<TName_And_Event_Data>& after,
                        bool went_on);
    void Check_Agreement();
    void Phone_Edit(std::size_t pick);
    void Phone_Delete(std::size_t pick);
    void Phone_Deletes_Everything();
    void Phone_Sets_Alarm(std::size_t pick, std::size_t trigger);
    void Phone_Removes_Alarms(std::size_t pick);
    void Fail(const std::string& why) {
        if (!failure_) {
            failure_ = why;
        }
    }

    Choices choices_;
    Memory_CalDAV_Server server_;
    CalDAV_Client client_;
    Device a_{'A', {}, {}, {}};
    Device b_{'B', {}, {}, {}};
    std::set<std::string> deleted_by_phone_;
    int phone_events_made_ = 0;
    bool raced_ = false;
    // The account's default alarm, the same on both devices.
    Default_Alarm alarm_;
    std::string trace_;
    std::optional<std::string> failure_;
};

Sync_History_Result History::Run() {
    for (int step = 0; step < Most_History_Steps && !choices_.Done() && !failure_; ++step) {
        Step();
    }
    if (auto pending = std::exchange(server_.Before_Next_Write, nullptr)) {
        trace_ += "the phone's pending change happens now\n";
        pending();
    }
    trace_ += "quiet phase\n";
    for (Device* device : {&a_, &b_, &a_, &b_}) {
        if (!failure_) {
            Sync(*device, Deletion_Choice::Keep_Everything);
        }
    }
    if (!failure_) {
        Check_Agreement();
    }
    return {failure_, trace_};
}

void History::Step() {
    const std::size_t kind = choices_.Next(20);
    Device& device = kind % 2 == 0 ? a_ : b_;
    const std::string who(1, device.Name);
    switch (kind) {
        case 0:
        case 1:
            if (device.List.size() < Most_Entries) {
                device.List.push_back(New_Entry(choices_));
                trace_ += who + " adds " + Shown(device.List.back()) + "\n";
            }
            break;
        case 2:
        case 3:
            if (!device.List.empty()) {
                auto& entry = device.List[choices_.Next(device.List.size())];
                trace_ += who + " edits " + Shown(entry);
                Edit(entry, choices_);
                trace_ += " into " + Shown(entry) + "\n";
            }
            break;
        case 4:
        case 5:
            if (!device.List.empty()) {
                const auto at = static_cast<std::ptrdiff_t>(choices_.Next(device.List.size()));
                const auto& entry = device.List[static_cast<std::size_t>(at)];
                trace_ += who + " deletes " + Shown(entry) + "\n";
                if (const auto uid = Read_Entry_Uid(entry)) {
                    device.Deleted.insert(*uid);
                }
                device.List.erase(device.List.begin() + at);
            }
            break;
        case 6:
        case 7:
            trace_ += who + " loses its list\n";
            for (const auto& entry : device.List) {
                if (const auto uid = Read_Entry_Uid(entry)) {
                    device.Deleted.insert(*uid);
                }
            }
            device.List.clear();
            break;
        case 8:
            Phone_Edit(choices_.Next(256));
            break;
        case 9:
            Phone_Delete(choices_.Next(256));
            break;
        case 10: {
            const std::string uid = "phone" + std::to_string(++phone_events_made_) + "@example.org";
            const TName_And_Event_Data entry = New_Entry(choices_);
            trace_ += "the phone adds " + Shown(entry) + " as " + uid + "\n";
            server_.Put("phone" + std::to_string(phone_events_made_) + ".ics",
                        Entry_Event(entry, uid, Stamp));
            break;
        }
        case 11:
            if (choices_.Next(2) == 0) {
                trace_ += "the phone deletes every event\n";
                Phone_Deletes_Everything();
            } else {
                trace_ += "the calendar is made anew, empty\n";
                Phone_Deletes_Everything();
                server_.Recreate();
            }
            break;
        case 12: {
            const bool edit = choices_.Next(2) == 0;
            const std::size_t pick = choices_.Next(256);
            trace_ += std::string("the phone will ") + (edit ? "edit" : "delete") +
                      " an event at the next write\n";
            server_.Before_Next_Write = [this, edit, pick] {
                trace_ += "  (at this write) ";
                raced_ = true;
                edit ? Phone_Edit(pick) : Phone_Delete(pick);
            };
            break;
        }
        case 13:
        case 14:
            if (!device.List.empty()) {
                auto& entry = device.List[choices_.Next(device.List.size())];
                const std::size_t lead = choices_.Next(4);
                Entry_Attributes attributes = Read_Entry_Attributes(entry);
                attributes.Own_Lead =
                    lead == 0 ? std::nullopt
                              : std::optional<int>(static_cast<int>(choices_.Next(3)) + 1);
                trace_ += who + " gives " + Shown(entry) + " the lead " +
                          (attributes.Own_Lead ? std::to_string(*attributes.Own_Lead) : "none") +
                          "\n";
                Write_Entry_Attributes(entry, attributes);
            }
            break;
        case 15:
            Phone_Sets_Alarm(choices_.Next(256), choices_.Next(8));
            break;
        case 16:
            if (choices_.Next(2) == 0) {
                Phone_Removes_Alarms(choices_.Next(256));
            } else {
                static const std::array<Default_Alarm, 3> Alarms = {
                    Default_Alarm{}, Default_Alarm{Default_Alarm::Kind::On_The_Day, 0},
                    Default_Alarm{Default_Alarm::Kind::Days_Before, 2}};
                alarm_ = Alarms[choices_.Next(Alarms.size())];
                trace_ += "the default alarm becomes " + Default_Alarm_Text(alarm_) + "\n";
            }
            break;
        default:
            Sync(device, static_cast<Deletion_Choice>(choices_.Next(3)));
    }
}

// Leads of 1..3 days as a phone writes them, an alarm on the day, and ones
// that give no lead.
void History::Phone_Sets_Alarm(std::size_t pick, std::size_t trigger) {
    static const std::array<const char*, 8> Triggers = {
        "-P1D",    "-PT15H",
        "-P2DT1H", "PT9H",
        "-P3D",    "TRIGGER;RELATED=END:-P2D",
        "-PT0S",   "TRIGGER;VALUE=DATE-TIME:20000101T000000Z"};
    const auto events = server_.Events();
    if (events.empty()) {
        return;
    }
    const auto& [name, data] = events[pick % events.size()];
    const std::size_t end = data.rfind("END:VEVENT");
    if (end == std::string::npos) {
        return;
    }
    const std::string chosen = Triggers[trigger % Triggers.size()];
    const std::string line = chosen.starts_with("TRIGGER") ? chosen : "TRIGGER:" + chosen;
    trace_ +=
        "the phone sets the alarm " + line + " on " + Shown(Read_Event_Entry(data).Entry) + "\n";
    std::string changed = data;
    changed.insert(end, "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Phone\r\n" + line +
                            "\r\nEND:VALARM\r\n");
    server_.Put(name, changed);
}

// Every alarm, ours too, as a phone's "no alarm" does.
void History::Phone_Removes_Alarms(std::size_t pick) {
    const auto events = server_.Events();
    if (events.empty()) {
        return;
    }
    const auto& [name, data] = events[pick % events.size()];
    std::string changed = data;
    for (std::size_t begin; (begin = changed.find("BEGIN:VALARM")) != std::string::npos;) {
        const std::size_t end = changed.find("END:VALARM", begin);
        if (end == std::string::npos) {
            return;
        }
        changed.erase(begin, changed.find('\n', end) + 1 - begin);
    }
    trace_ += "the phone removes the alarms of " + Shown(Read_Event_Entry(data).Entry) + "\n";
    server_.Put(name, changed);
}

void History::Phone_Edit(std::size_t pick) {
    const auto events = server_.Events();
    if (events.empty()) {
        return;
    }
    const auto& [name, data] = events[pick % events.size()];
    Event_Entry read = Read_Event_Entry(data);
    if (read.Reading != Event_Reading::Taken) {
        return;
    }
    trace_ += "the phone edits " + Shown(read.Entry) + " (" + read.Uid + ")";
    Edit(read.Entry, choices_);
    trace_ += " into " + Shown(read.Entry) + "\n";
    server_.Put(name, Entry_Event(read.Entry, read.Uid, Stamp));
}

void History::Phone_Delete(std::size_t pick) {
    const auto events = server_.Events();
    if (events.empty()) {
        return;
    }
    const auto& [name, data] = events[pick % events.size()];
    const Event_Entry read = Read_Event_Entry(data);
    trace_ += "the phone deletes " + Shown(read.Entry) + " (" + read.Uid + ")\n";
    deleted_by_phone_.insert(read.Uid);
    server_.Remove(name);
}

void History::Phone_Deletes_Everything() {
    for (const auto& [name, data] : server_.Events()) {
        deleted_by_phone_.insert(Read_Event_Entry(data).Uid);
    }
    server_.Remove_All();
}

void History::Sync(Device& device, Deletion_Choice answer) {
    static constexpr std::array<const char*, 3> Answers = {"stop", "go on", "keep everything"};
    trace_ += std::string(1, device.Name) + " syncs (answering " +
              Answers[static_cast<std::size_t>(answer)] + ")";
    bool asked = false;
    Sync_Run_Options options;
    options.Alarm = alarm_;
    options.Ask_Deletions = [&](const Deletion_Question& question) {
        asked = true;
        trace_ += " asked: " + std::to_string(question.Deleted_Here) + " here of " +
                  std::to_string(question.Local_Count) + ", " +
                  std::to_string(question.Deleted_There) + " there of " +
                  std::to_string(question.Server_Count);
        return answer;
    };
    const auto keep_both = [](const Sync_Conflict&) { return Conflict_Choice::Keep_Both; };
    const int writes_before = server_.Client_Writes();
    raced_ = false;
    Sync_Outcome outcome;
    try {
        outcome = Run_Sync(client_, Memory_CalDAV_Server::Calendar_Url, device.List, device.State,
                           keep_both, Stamp, options);
    } catch (const std::exception& error) {
        trace_ += "\n";
        Fail(std::string("Run_Sync threw: ") + error.what());
        return;
    }
    trace_ += " sent " + std::to_string(outcome.Sent) + ", deleted there " +
              std::to_string(outcome.Deleted_There) + ", taken " + std::to_string(outcome.Taken) +
              ", removed here " + std::to_string(outcome.Removed_Here) + ", conflicts " +
              std::to_string(outcome.Conflicts) + "\n";
    if (outcome.Stopped.has_value() != (asked && answer == Deletion_Choice::Stop)) {
        Fail("the sync stopped without a Stop answer, or went on after one");
        return;
    }
    if (outcome.Stopped) {
        const bool same_list =
            std::equal(device.List.begin(), device.List.end(), outcome.Entries.begin(),
                       outcome.Entries.end(), Same_Stored_Entry);
        if (!same_list || !(outcome.State == device.State) ||
            server_.Client_Writes() != writes_before) {
            Fail("a sync answered Stop changed the list, the state or the server");
        }
        return;
    }
    Check_Vanished(device, outcome.Entries, asked && answer == Deletion_Choice::Go_On);
    device.List = outcome.Entries;
    device.State = outcome.State;
    if (!raced_ && outcome.Skipped.empty()) {
        Check_Second_Sync(device);
    }
}

void History::Check_Vanished(const Device& device, const std::vector<TName_And_Event_Data>& after,
                             bool went_on) {
    if (went_on) {
        return;
    }
    std::set<std::string> uids_after;
    for (const auto& entry : after) {
        if (const auto uid = Read_Entry_Uid(entry)) {
            uids_after.insert(*uid);
        }
    }
    const auto contents_after = Contents(after);
    const Device& other = &device == &a_ ? b_ : a_;
    for (const auto& entry : device.List) {
        // A new entry is followed by the UID a sync gives it, or its content.
        const std::string uid = Read_Entry_Uid(entry).value_or(New_Entry_Uid(entry));
        if (uids_after.contains(uid) || other.Deleted.contains(uid) ||
            deleted_by_phone_.contains(uid)) {
            continue;
        }
        if (!Read_Entry_Uid(entry) &&
            std::binary_search(contents_after.begin(), contents_after.end(),
                               Entry_Event_Content(entry))) {
            continue;
        }
        Fail(std::string("the entry ") + Shown(entry) + " left " + device.Name +
             "'s list though nobody deleted it");
        return;
    }
}

void History::Check_Second_Sync(const Device& device) {
    bool asked = false;
    Sync_Run_Options options;
    options.Alarm = alarm_;
    options.Ask_Deletions = [&asked](const Deletion_Question&) {
        asked = true;
        return Deletion_Choice::Stop;
    };
    const auto keep_both = [](const Sync_Conflict&) { return Conflict_Choice::Keep_Both; };
    try {
        const Sync_Outcome again = Run_Sync(client_, Memory_CalDAV_Server::Calendar_Url,
                                            device.List, device.State, keep_both, Stamp, options);
        if (asked || again.Sent != 0 || again.Taken != 0 || again.Deleted_There != 0 ||
            again.Removed_Here != 0 || again.List_Changed) {
            Fail(std::string("a second sync of ") + device.Name + " right after changed things: " +
                 (asked ? "asked, " : "") + "sent " + std::to_string(again.Sent) +
                 ", deleted there " + std::to_string(again.Deleted_There) + ", taken " +
                 std::to_string(again.Taken) + ", removed here " +
                 std::to_string(again.Removed_Here) + (again.List_Changed ? ", list changed" : ""));
        }
    } catch (const std::exception& error) {
        Fail(std::string("a second sync threw: ") + error.what());
    }
}

void History::Check_Agreement() {
    std::vector<std::string> on_server;
    for (const auto& [name, data] : server_.Events()) {
        const Event_Entry read = Read_Event_Entry(data);
        if (read.Reading != Event_Reading::Taken) {
            Fail("the server holds an event the list cannot: " + name);
            return;
        }
        on_server.push_back(Entry_Event_Content(read.Entry));
    }
    std::sort(on_server.begin(), on_server.end());
    const auto in_a = Contents(a_.List);
    const auto in_b = Contents(b_.List);
    if (in_a != in_b || in_a != on_server) {
        Fail("after the quiet phase the lists and the server differ:\n  A:\n" + Joined(in_a) +
             "  B:\n" + Joined(in_b) + "  server:\n" + Joined(on_server));
    }
}

}  // namespace

Sync_History_Result Run_Sync_History(std::string_view bytes) {
    return History(bytes).Run();
}

}  // namespace tessaly::test
