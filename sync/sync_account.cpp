#include "sync/sync_account.h"

#include <algorithm>

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
    // URLs hold no blanks (the form stores them percent-encoded), so a blank
    // parts them.
    const std::string books = read(calendar_sync_keys::Address_Books_Key);
    for (std::size_t start = 0; start < books.size();) {
        const std::size_t end = std::min(books.find(' ', start), books.size());
        if (end > start) {
            account.Address_Books.push_back(books.substr(start, end - start));
        }
        start = end + 1;
    }
    // Each chosen book's name, escaped, in the books' order.
    const std::string names = read(calendar_sync_keys::Address_Book_Names_Key);
    std::size_t book = 0;
    for (std::size_t start = 0; start <= names.size() && book < account.Address_Books.size();
         ++book) {
        const std::size_t end = std::min(names.find(';', start), names.size());
        const auto name = Unescape_Attribute_Value(names.substr(start, end - start));
        if (name && !name->empty()) {
            account.Address_Book_Names[account.Address_Books[book]] = *name;
        }
        start = end + 1;
    }
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
    std::string books;
    for (const std::string& book : account.Address_Books) {
        books += (books.empty() ? "" : " ") + book;
    }
    file.Write_String(Calendar_Sync_Section, calendar_sync_keys::Address_Books_Key, books);
    std::string names;
    for (std::size_t i = 0; i < account.Address_Books.size(); ++i) {
        const auto name = account.Address_Book_Names.find(account.Address_Books[i]);
        names += (i == 0 ? "" : ";") + (name == account.Address_Book_Names.end()
                                            ? std::string()
                                            : Escape_Attribute_Value(name->second));
    }
    file.Write_String(Calendar_Sync_Section, calendar_sync_keys::Address_Book_Names_Key,
                      account.Address_Books.empty() ? std::string() : names);
}

std::string Hidden_Contact_Key(const Contact_Source& source) {
    // Escaped, the contact holds no ";", which parts the keys in the file.
    return Escape_Attribute_Value(source.Contact) + "/" + source.Date;
}

std::vector<std::string> Read_Hidden_Contacts(const Profile_File& file) {
    const std::string text =
        file.Read_String(Calendar_Sync_Section, calendar_sync_keys::Hidden_Contacts_Key)
            .value_or(std::string());
    std::vector<std::string> keys;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find(';', start), text.size());
        if (end > start) {
            keys.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return keys;
}

void Write_Hidden_Contacts(Profile_File& file, const std::vector<std::string>& keys) {
    std::string text;
    for (const std::string& key : keys) {
        text += (text.empty() ? "" : ";") + key;
    }
    file.Write_String(Calendar_Sync_Section, calendar_sync_keys::Hidden_Contacts_Key, text);
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
