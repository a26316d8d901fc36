#include "ui/main/address_book_entries.h"

#include <algorithm>

#include "ui/common/text.h"

namespace tessaly {

QString Contact_Hint_Text(const TName_And_Event_Data& entry, const Contact_Source& source,
                          const std::map<std::string, std::string>& book_names) {
    const auto named = book_names.find(source.Book);
    const std::string& book =
        named != book_names.end() && !named->second.empty() ? named->second : source.Book;
    return QStringLiteral("From the contact \u201C%1\u201D in the address book \u201C%2\u201D")
        .arg(From_File_Text_On_One_Line(entry.Name), From_File_Text_On_One_Line(book));
}

QString Hide_Contacts_Question(const std::vector<const TName_And_Event_Data*>& from_books,
                               int selected) {
    const int count = static_cast<int>(from_books.size());
    const QString why =
        QStringLiteral(" from your address book and would come back at the next sync. ");
    if (count == 1 && selected == 1) {
        const TName_And_Event_Data& entry = *from_books.front();
        return QStringLiteral("\u201C%1 (%2)\u201D comes")
                   .arg(From_File_Text_On_One_Line(entry.Name),
                        From_File_Text_On_One_Line(entry.Event_Type)) +
               why + QStringLiteral("Hide it from the list?");
    }
    if (count == selected) {
        return QStringLiteral("These %1 entries come").arg(count) + why +
               QStringLiteral("Hide them from the list?");
    }
    const int others = selected - count;
    return QStringLiteral("%1 of the %2 selected entries %3")
               .arg(count)
               .arg(selected)
               .arg(count == 1 ? QStringLiteral("comes") : QStringLiteral("come")) +
           why +
           (count == 1 ? QStringLiteral("Hide it, and delete ")
                       : QStringLiteral("Hide them, and delete ")) +
           (others == 1 ? QStringLiteral("the other entry?")
                        : QStringLiteral("the other %1 entries?").arg(others));
}

std::vector<std::string> With_Hidden_Contacts(std::vector<std::string> hidden,
                                              const std::vector<std::string>& added) {
    for (const std::string& key : added) {
        if (std::find(hidden.begin(), hidden.end(), key) == hidden.end()) {
            hidden.push_back(key);
        }
    }
    return hidden;
}

}  // namespace tessaly
