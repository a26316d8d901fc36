#include "sync/sync_account.h"

namespace tessaly {

CalDAV_Account Read_CalDAV_Account(const Profile_File& file) {
    const auto read = [&file](const char* key) {
        return file.Read_String(Calendar_Sync_Section, key).value_or(std::string());
    };
    CalDAV_Account account;
    account.Server = read(calendar_sync_keys::Server_Key);
    account.User = read(calendar_sync_keys::User_Key);
    account.Calendar_Url = read(calendar_sync_keys::Calendar_Key);
    account.Calendar_Name = read(calendar_sync_keys::Calendar_Name_Key);
    account.Password_Command = read(calendar_sync_keys::Password_Command_Key);
    account.Trusted_Certificate = read(calendar_sync_keys::Certificate_Key);
    account.Alarm = Read_Default_Alarm(file);
    return account;
}

void Write_CalDAV_Account(Profile_File& file, const CalDAV_Account& account) {
    file.Write_String(Calendar_Sync_Section, calendar_sync_keys::Server_Key, account.Server);
    file.Write_String(Calendar_Sync_Section, calendar_sync_keys::User_Key, account.User);
    file.Write_String(Calendar_Sync_Section, calendar_sync_keys::Calendar_Key,
                      account.Calendar_Url);
    file.Write_String(Calendar_Sync_Section, calendar_sync_keys::Calendar_Name_Key,
                      account.Calendar_Name);
    file.Write_String(Calendar_Sync_Section, calendar_sync_keys::Password_Command_Key,
                      account.Password_Command);
    file.Write_String(Calendar_Sync_Section, calendar_sync_keys::Certificate_Key,
                      account.Trusted_Certificate);
    file.Write_String(Calendar_Sync_Section, calendar_sync_keys::Default_Alarm_Key,
                      Default_Alarm_Text(account.Alarm));
}

Http_Transport_Options Account_Transport_Options(const CalDAV_Account& account,
                                                 std::string password) {
    Http_Transport_Options options;
    options.User = account.User;
    options.Password = std::move(password);
    options.Origin = account.Server;
    options.Trusted_Certificate = account.Trusted_Certificate;
    return options;
}

}  // namespace tessaly
