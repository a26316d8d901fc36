#pragma once

// A calendar server in memory for sync tests and fuzzers: one calendar
// collection at a fixed address, answering the requests CalDAV_Client sends
// (PROPFIND of the collection, calendar-query, calendar-multiget,
// sync-collection, conditional PUT and DELETE), with a change log behind its
// sync tokens. Other calls change it directly, as another client would.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "caldav/http_transport.h"

namespace tessaly::test {

class Memory_CalDAV_Server : public Http_Transport {
public:
    static constexpr const char* Calendar_Url = "http://memory.invalid/cal/";

    Http_Response Send(const Http_Request& request) override;

    // Another client's writes: the event named `name` inside the collection
    // is created or replaced (a new ETag), or deleted.
    void Put(const std::string& name, const std::string& data);
    bool Remove(const std::string& name);
    void Remove_All();
    // The collection deleted and made anew, empty: tokens of before are refused.
    void Recreate();

    // Name and data of every event, in name order.
    std::vector<std::pair<std::string, std::string>> Events() const;
    // Writes made through Send that the server took.
    int Client_Writes() const { return client_writes_; }
    // Run once, just before the next PUT or DELETE sent is answered: another
    // client writing between a sync's reads and its writes.
    std::function<void()> Before_Next_Write;

private:
    struct Resource {
        std::string Data;
        std::string Etag;
        std::uint64_t Changed = 0;  // the change counter of its last write
    };

    std::string Token() const;
    void Write(const std::string& name, const std::string& data);
    void Erase(const std::string& name);
    Http_Response Propfind(const Http_Request& request) const;
    Http_Response Report(const Http_Request& request) const;
    Http_Response Changes_Since(const std::string& token) const;
    Http_Response Put_Request(const Http_Request& request, const std::string& name);
    Http_Response Delete_Request(const Http_Request& request, const std::string& name);

    std::map<std::string, Resource> resources_;
    std::map<std::string, std::uint64_t> removed_;  // name, change counter
    std::uint64_t generation_ = 1;
    std::uint64_t counter_ = 0;
    std::uint64_t etags_made_ = 0;
    int client_writes_ = 0;
};

}  // namespace tessaly::test
