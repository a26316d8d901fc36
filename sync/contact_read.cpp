#include "sync/contact_read.h"

#include <algorithm>
#include <map>
#include <utility>

#include "sync/url_key.h"

namespace tessaly {

namespace {

bool Stops_Any_Sync(const CalDAV_Error& error) {
    const CalDAV_Failure failure = error.Failure();
    return failure == CalDAV_Failure::Unreachable || failure == CalDAV_Failure::Timed_Out ||
           failure == CalDAV_Failure::Unauthorized ||
           failure == CalDAV_Failure::Untrusted_Certificate;
}

const Address_Book_State* Known_Book(const Contacts_State& last, const std::string& url) {
    for (const auto& book : last.Books) {
        if (Url_Key(book.Url) == Url_Key(url)) {
            return &book;
        }
    }
    return nullptr;
}

struct Member {
    std::string Href;
    std::string Etag;  // empty: to be read
};

// Every member with its ETag, from the changes since the kept token where
// the server takes it, else from a listing of the whole book.
std::vector<Member> Members_Now(CalDAV_Client& client, const std::string& url,
                                const Address_Book_State* known, bool token_now) {
    if (known != nullptr && !known->Sync_Token.empty() && token_now) {
        try {
            const CardDAV_Changes changes =
                client.Read_Address_Book_Changes(url, known->Sync_Token);
            std::map<std::string, Member> members;
            for (const auto& contact : known->Contacts) {
                members[Url_Key(contact.Href)] = {contact.Href, contact.Etag};
            }
            for (const auto& removed : changes.Removed) {
                members.erase(Url_Key(removed));
            }
            for (const auto& changed : changes.Changed) {
                // One without its ETag is read whole.
                members[Url_Key(changed.Url)] = {changed.Url, changed.Etag};
            }
            std::vector<Member> list;
            for (auto& [key, member] : members) {
                list.push_back(std::move(member));
            }
            return list;
        } catch (const CalDAV_Error& error) {
            if (error.Failure() != CalDAV_Failure::Precondition_Failed &&
                error.Failure() != CalDAV_Failure::Forbidden) {
                throw;
            }
            // A token the server no longer takes: the book is listed whole.
        }
    }
    std::vector<Member> list;
    for (auto& contact : client.Read_Address_Book(url)) {
        list.push_back({std::move(contact.Url), std::move(contact.Etag)});
    }
    return list;
}

Book_Reading Read_Book(CalDAV_Client& client, const std::string& url,
                       const Address_Book_State* known) {
    Book_Reading reading;
    reading.Url = url;
    const CardDAV_Address_Book book = client.Read_Address_Book_Info(url);
    reading.Sync_Token = book.Sync_Token;
    reading.Ctag = book.Ctag;
    const bool same_token =
        known != nullptr && !book.Sync_Token.empty() && book.Sync_Token == known->Sync_Token;
    const bool same_ctag = known != nullptr && book.Sync_Token.empty() && !book.Ctag.empty() &&
                           book.Ctag == known->Ctag;
    if (same_token || same_ctag) {
        for (const auto& contact : known->Contacts) {
            reading.Contacts.push_back({contact.Href, contact.Etag, std::nullopt, {}});
        }
        return reading;
    }
    std::map<std::string, std::string> known_etags;
    if (known != nullptr) {
        for (const auto& contact : known->Contacts) {
            known_etags[Url_Key(contact.Href)] = contact.Etag;
        }
    }
    std::vector<std::string> to_read;
    for (const Member& member : Members_Now(client, url, known, !book.Sync_Token.empty())) {
        const auto at = known_etags.find(Url_Key(member.Href));
        if (!member.Etag.empty() && at != known_etags.end() && at->second == member.Etag) {
            reading.Contacts.push_back({member.Href, member.Etag, std::nullopt, {}});
        } else {
            to_read.push_back(member.Href);
        }
    }
    for (std::size_t start = 0; start < to_read.size(); start += Contacts_Per_Read) {
        const std::size_t stop = std::min(to_read.size(), start + Contacts_Per_Read);
        const std::vector<std::string> batch(to_read.begin() + static_cast<std::ptrdiff_t>(start),
                                             to_read.begin() + static_cast<std::ptrdiff_t>(stop));
        // Members gone meanwhile are left out of the reply, and so of the book.
        for (auto& contact : client.Read_Contacts(url, batch)) {
            Book_Contact member{std::move(contact.Url), std::move(contact.Etag), std::nullopt,
                                std::move(contact.Problem)};
            if (member.Problem.empty()) {
                member.Data = std::move(contact.Data);
            }
            reading.Contacts.push_back(std::move(member));
        }
    }
    return reading;
}

}  // namespace

std::vector<Book_Reading> Read_Address_Books(CalDAV_Client& client,
                                             const std::vector<std::string>& urls,
                                             const Contacts_State& last) {
    std::vector<Book_Reading> readings;
    for (const std::string& url : urls) {
        try {
            readings.push_back(Read_Book(client, url, Known_Book(last, url)));
        } catch (const CalDAV_Error& error) {
            if (Stops_Any_Sync(error)) {
                throw;
            }
            Book_Reading failed;
            failed.Url = url;
            failed.Problem = error.what();
            readings.push_back(std::move(failed));
        }
    }
    return readings;
}

}  // namespace tessaly
