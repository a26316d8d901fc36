#include "sync/sync_session.h"

#include <algorithm>

#include "sync/sync_state.h"

namespace tessaly {

Sync_Session_Result Run_Sync_Session(Sync_List& list, const CalDAV_Account& account,
                                     const std::filesystem::path& state_file,
                                     std::chrono::sys_seconds stamp,
                                     const Sync_Session_Hooks& hooks) {
    Sync_Session_Result result;
    std::vector<TName_And_Event_Data> entries = list.Entries();
    if (Give_Entries_Uids(entries)) {
        const std::vector<TName_And_Event_Data> before = list.Entries();
        if (!list.Save(before, entries)) {
            result.Result = Sync_Session_Result::Kind::List_Not_Saved;
            return result;
        }
        entries = list.Entries();
    }

    const std::unique_ptr<Http_Transport> transport = hooks.Connect();
    CalDAV_Client client(*transport, account.Server);
    result.Calendar = Find_Account_Calendar(client, account);
    const auto keep_both = [](const Sync_Conflict&) { return Conflict_Choice::Keep_Both; };
    Sync_Run_Options options;
    options.Ask_Deletions = hooks.Ask_Deletions;
    options.New_Calendar = result.Calendar.Made;
    options.Alarm = account.Alarm;
    result.Outcome = Run_Sync(client, result.Calendar.Url, entries, Load_Sync_State(state_file),
                              hooks.Decide ? hooks.Decide : keep_both, stamp, options);
    // Finding the calendar is part of the cost.
    result.Outcome.Requests = client.Requests_Sent();
    if (result.Outcome.Stopped) {
        result.Result = Sync_Session_Result::Kind::Stopped;
        return result;
    }
    if (result.Outcome.List_Changed && !list.Save(entries, result.Outcome.Entries)) {
        result.Result = Sync_Session_Result::Kind::List_Not_Saved;
        return result;
    }
    // Without its state the next sync compares both sides afresh, which
    // loses nothing: a failure here is the caller's to say, not to undo.
    Save_Sync_State(state_file, result.Outcome.State);
    return result;
}

Account_Calendar Find_Account_Calendar(CalDAV_Client& client, const CalDAV_Account& account) {
    if (!account.Calendar_Url.empty()) {
        return {account.Calendar_Url, false, false};
    }
    const std::string home = client.Find_Calendar_Home(account.Server);
    for (const auto& calendar : client.List_Calendars(home)) {
        if (calendar.Takes_Events && calendar.Display_Name == Default_Calendar_Name) {
            return {calendar.Url, true, false};
        }
    }
    return {client.Make_Calendar(home, Default_Calendar_Name).Url, true, true};
}

}  // namespace tessaly
