#pragma once

#include <string>
#include <vector>

#include "desktop/link_opener.h"

namespace tessaly {

// Records the links it accepts, with the same rule as the real ones.
class Fake_Link_Opener final : public Link_Opener {
public:
    bool Open_Link(const std::string& link) override {
        if (!Is_Web_Or_Mail_Link(link) || !Handler_Found) {
            return false;
        }
        Opened_Links.push_back(link);
        return true;
    }

    std::vector<std::string> Opened_Links;
    bool Handler_Found = true;
};

}  // namespace tessaly
