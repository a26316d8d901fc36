#pragma once

#include <string>

namespace tessaly {

// The user's regional date format, read once by the window at start.
class Regional_Date_Format {
public:
    virtual ~Regional_Date_Format() = default;

    // The short date as a strftime pattern with a four-digit year
    // ("%d/%m/%Y").
    virtual std::string Short_Date_Pattern() = 0;
};

}  // namespace tessaly
