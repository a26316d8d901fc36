// The main window's entries taken from an address book: the hint that names
// their contact, and hiding those the user deletes, since the next sync
// would bring them back.
#include <exception>

#include "core/entry_attributes.h"
#include "core/profile_file.h"
#include "ui/common/text.h"
#include "ui/main/address_book_entries.h"
#include "ui/main/main_form.h"
#include "ui/main/main_form_messages.h"

namespace tessaly {

QString TMainForm1::Contact_Hint(const TName_And_Event_Data& entry) const {
    const std::optional<Contact_Source> source = Read_Contact_Source(entry);
    return source ? Contact_Hint_Text(entry, *source, address_book_names_) : QString();
}

std::vector<std::string> TMainForm1::Contact_Keys_In(int top, int count) const {
    std::vector<std::string> keys;
    for (int position = top; position < top + count; ++position) {
        if (const auto source = Read_Contact_Source(Event_Array.At(position))) {
            keys.push_back(Hidden_Contact_Key(*source));
        }
    }
    return keys;
}

bool TMainForm1::Confirmed_Hiding(int top, int count) {
    std::vector<const TName_And_Event_Data*> from_books;
    for (int position = top; position < top + count; ++position) {
        if (Read_Contact_Source(Event_Array.At(position))) {
            from_books.push_back(&Event_Array.At(position));
        }
    }
    return Confirmed_As(services_.Messages, this, Hide_Contacts_Question(from_books, count),
                        QStringLiteral("&Hide"), QStringLiteral("Cancel"));
}

std::vector<std::string> TMainForm1::Hidden_Contacts() const {
    try {
        return Read_Hidden_Contacts(Profile_File::Load(Settings_File()));
    } catch (const std::exception&) {
        return {};
    }
}

bool TMainForm1::Keep_Hidden_Contacts(const std::vector<std::string>& keys) {
    return Change_Hidden_Contacts([&keys](const std::vector<std::string>& hidden) {
        return With_Hidden_Contacts(hidden, keys);
    });
}

bool TMainForm1::Show_Hidden_Contacts_Again() {
    return Change_Hidden_Contacts(
        [](const std::vector<std::string>&) { return std::vector<std::string>{}; });
}

bool TMainForm1::Change_Hidden_Contacts(
    const std::function<std::vector<std::string>(const std::vector<std::string>&)>& change) {
    const std::filesystem::path file = Settings_File();
    try {
        Profile_File profile = Profile_File::Load(file);
        Write_Hidden_Contacts(profile, change(Read_Hidden_Contacts(profile)));
        profile.Save(file);
        return true;
    } catch (const std::exception&) {
        Show_Error(services_.Messages, this,
                   QStringLiteral("Unable to write to %1").arg(From_File_Text(file.string())));
        return false;
    }
}

}  // namespace tessaly
