#pragma once

#include <string>
#include <string_view>

#include "caldav/caldav_url.h"

namespace tessaly {

// What an event's or calendar's address is compared by: servers list a
// resource in another spelling than it was written under ("@" raw or
// escaped, say), and a collection with or without its trailing slash.
inline std::string Url_Key(std::string_view url) {
    std::string key = Normal_Url(url);
    if (key.size() > 1 && key.back() == '/') {
        key.pop_back();
    }
    return key;
}

}  // namespace tessaly
