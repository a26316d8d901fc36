#pragma once

#include <string>

namespace tessaly {

// The desktop's handlers of web and e-mail links.
class Link_Opener {
public:
    virtual ~Link_Opener() = default;

    // Hands an "http://", "https://" or "mailto:" link to its handler
    // without waiting; false for any other link or when nothing takes it.
    virtual bool Open_Link(const std::string& link) = 0;
};

// Whether the link is one the program hands on: web and e-mail links only,
// never a local file or another program's scheme.
inline bool Is_Web_Or_Mail_Link(const std::string& link) {
    for (const char* scheme : {"http://", "https://", "mailto:"}) {
        const std::string prefix(scheme);
        if (link.size() > prefix.size() && link.compare(0, prefix.size(), prefix) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace tessaly
