#include "sync/contact_entries.h"

#include <map>
#include <set>
#include <tuple>
#include <utility>

#include "core/entry_attributes.h"
#include "exchange/vcard_import.h"
#include "sync/sync_account.h"
#include "sync/url_key.h"

namespace tessaly {

namespace {

// A date of a contact of a book: book key, contact, date key.
using Source_Key = std::tuple<std::string, std::string, std::string>;

struct Wanted {
    Contact_Source Source;
    Contact_Date_Record Record;
    bool Placed = false;
};

const Address_Book_State* Book_In(const Contacts_State& state, const std::string& url) {
    for (const auto& book : state.Books) {
        if (Url_Key(book.Url) == Url_Key(url)) {
            return &book;
        }
    }
    return nullptr;
}

const Known_Contact* Contact_In(const Address_Book_State* book, const std::string& href) {
    if (book == nullptr) {
        return nullptr;
    }
    for (const auto& contact : book->Contacts) {
        if (Url_Key(contact.Href) == Url_Key(href)) {
            return &contact;
        }
    }
    return nullptr;
}

const Contact_Date_Record* Date_In(const Known_Contact* contact, const std::string& key) {
    if (contact == nullptr) {
        return nullptr;
    }
    for (const auto& date : contact->Dates) {
        if (date.Key == key) {
            return &date;
        }
    }
    return nullptr;
}

// The contact of a vCard read now; none where the card holds no contact.
// Dates that cannot be read keep what the state knew of them.
std::optional<Known_Contact> Read_Contact(const Book_Contact& member, const Known_Contact* known,
                                          bool& unreadable_date) {
    std::optional<VCard_Contact> card;
    Read_VCard_Contacts(*member.Data, [&](VCard_Contact&& contact) {
        // A resource holds one contact; any more are not its own.
        if (!card) {
            card = std::move(contact);
        }
    });
    if (!card) {
        return std::nullopt;
    }
    Known_Contact contact;
    contact.Href = member.Href;
    contact.Etag = member.Etag;
    contact.Contact = card->Uid.value_or(Resource_Name(member.Href));
    unreadable_date = card->Dates_Dropped > 0;
    for (auto& [key, event] : card->Dates) {
        if (event.Kind == VCard_Date_Kind::Unreadable) {
            unreadable_date = true;
            if (const Contact_Date_Record* old = Date_In(known, key)) {
                contact.Dates.push_back(*old);
            }
            continue;
        }
        contact.Dates.push_back({key, std::move(event.Name), event.Orig_Date,
                                 std::move(event.Event_Type),
                                 event.Kind == VCard_Date_Kind::Without_Year});
    }
    return contact;
}

bool Same_As_Record(const TName_And_Event_Data& entry, const Contact_Date_Record& record) {
    return entry.Name == record.Name && entry.Orig_Date == record.Orig_Date &&
           entry.Event_Type == record.Event_Type &&
           Read_Entry_Attributes(entry).Year_Unknown == record.Year_Unknown;
}

// Name, date, type and year are the book's; comment, lead and UID the list's.
void Take_Record(TName_And_Event_Data& entry, const Contact_Date_Record& record) {
    entry.Name = record.Name;
    entry.Orig_Date = record.Orig_Date;
    entry.Event_Type = record.Event_Type;
    Entry_Attributes attributes = Read_Entry_Attributes(entry);
    attributes.Year_Unknown = record.Year_Unknown;
    Write_Entry_Attributes(entry, attributes);
}

}  // namespace

std::string Resource_Name(const std::string& href) {
    std::string_view path = href;
    while (!path.empty() && path.back() == '/') {
        path.remove_suffix(1);
    }
    const std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

Contact_Plan Plan_Contact_Entries(const std::vector<TName_And_Event_Data>& list,
                                  const std::vector<Book_Reading>& books,
                                  const std::vector<std::string>& hidden,
                                  const Contacts_State& last, Deletions deletions) {
    Contact_Plan plan;
    const std::set<std::string> hidden_keys(hidden.begin(), hidden.end());
    // Books read now, by key; true where every member was read or known.
    std::map<std::string, bool> read_books;
    std::map<Source_Key, Wanted> wanted;
    std::vector<Source_Key> wanted_order;

    for (const Book_Reading& reading : books) {
        const Address_Book_State* known_book = Book_In(last, reading.Url);
        if (!reading.Problem.empty()) {
            if (known_book != nullptr) {
                plan.State.Books.push_back(*known_book);
            }
            continue;
        }
        const std::string book_key = Url_Key(reading.Url);
        if (read_books.contains(book_key)) {
            continue;  // named twice
        }
        bool complete = reading.Whole;
        bool read_again = false;
        Address_Book_State state{reading.Url, reading.Sync_Token, reading.Ctag, {}};
        std::set<std::string> contacts_seen;
        for (const Book_Contact& member : reading.Contacts) {
            const Known_Contact* known = Contact_In(known_book, member.Href);
            std::optional<Known_Contact> contact;
            if (!member.Problem.empty()) {
                ++plan.Skipped;
            } else if (!member.Data) {
                if (known != nullptr) {
                    contact = *known;
                }
            } else {
                bool unreadable_date = false;
                contact = Read_Contact(member, known, unreadable_date);
                if (!contact || unreadable_date) {
                    ++plan.Skipped;
                }
            }
            if (!contact) {
                // Not read now: what was known stays, read again next time.
                read_again = true;
                if (known == nullptr) {
                    complete = false;
                    continue;
                }
                contact = *known;
                contact->Etag.clear();
            }
            // Two cards with one UID: the later one goes by its resource.
            if (!contacts_seen.insert(contact->Contact).second) {
                contact->Contact = Resource_Name(contact->Href);
                contacts_seen.insert(contact->Contact);
            }
            for (const Contact_Date_Record& date : contact->Dates) {
                Contact_Source source{reading.Url, contact->Contact, date.Key};
                if (hidden_keys.contains(Hidden_Contact_Key(source))) {
                    continue;
                }
                Source_Key key{book_key, contact->Contact, date.Key};
                if (wanted.emplace(key, Wanted{std::move(source), date, false}).second) {
                    wanted_order.push_back(std::move(key));
                }
            }
            state.Contacts.push_back(std::move(*contact));
        }
        read_books[book_key] = complete;
        if (read_again) {
            state.Sync_Token.clear();
            state.Ctag.clear();
        }
        plan.State.Books.push_back(std::move(state));
    }

    for (const TName_And_Event_Data& entry : list) {
        const std::optional<Contact_Source> source = Read_Contact_Source(entry);
        const auto book = source ? read_books.find(Url_Key(source->Book)) : read_books.end();
        if (book == read_books.end()) {
            plan.Entries.push_back(entry);
            continue;
        }
        ++plan.Book_Entries;
        const auto at = wanted.find({book->first, source->Contact, source->Date});
        if (at != wanted.end()) {
            TName_And_Event_Data taken = entry;
            if (!Same_As_Record(entry, at->second.Record)) {
                Take_Record(taken, at->second.Record);
                ++plan.Changed;
                plan.List_Changed = true;
            }
            at->second.Placed = true;
            plan.Entries.push_back(std::move(taken));
        } else if (hidden_keys.contains(Hidden_Contact_Key(*source)) || !book->second) {
            plan.Entries.push_back(entry);
        } else if (deletions == Deletions::Keep_Everything) {
            TName_And_Event_Data kept = entry;
            Write_Contact_Source(kept, std::nullopt);
            plan.Entries.push_back(std::move(kept));
            plan.List_Changed = true;
        } else {
            ++plan.Removed;
            plan.List_Changed = true;
        }
    }

    for (const Source_Key& key : wanted_order) {
        const Wanted& date = wanted.at(key);
        if (date.Placed) {
            continue;
        }
        if (static_cast<int>(plan.Entries.size()) >= Event_Array_Size) {
            ++plan.No_Room;
            continue;
        }
        TName_And_Event_Data entry;
        Take_Record(entry, date.Record);
        Write_Contact_Source(entry, date.Source);
        plan.Entries.push_back(std::move(entry));
        ++plan.Added;
        plan.List_Changed = true;
    }
    return plan;
}

std::vector<Book_Reading> Unchanged_Readings(const Contacts_State& state) {
    std::vector<Book_Reading> readings;
    for (const auto& book : state.Books) {
        Book_Reading reading{book.Url, {}, book.Sync_Token, book.Ctag, {}, false};
        for (const auto& contact : book.Contacts) {
            reading.Contacts.push_back({contact.Href, contact.Etag, std::nullopt, {}});
        }
        readings.push_back(std::move(reading));
    }
    return readings;
}

std::optional<Deletion_Question> Check_Contact_Deletions(const Contact_Plan& plan) {
    const int removed = plan.Removed;
    const int side = plan.Book_Entries;
    if (removed == 0 ||
        (removed < side && (removed <= Guard_Least_Deletions || 4 * removed <= side))) {
        return std::nullopt;
    }
    Deletion_Question question;
    question.Deleted_Here = removed;
    question.Local_Count = static_cast<int>(plan.Entries.size()) + removed;
    return question;
}

}  // namespace tessaly
