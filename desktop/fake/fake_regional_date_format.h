#pragma once

#include <string>

#include "desktop/regional_date_format.h"

namespace tessaly {

// Day, month, four-digit year unless a test sets another pattern.
class Fake_Regional_Date_Format final : public Regional_Date_Format {
public:
    std::string Short_Date_Pattern() override { return Pattern; }

    std::string Pattern = "%d/%m/%Y";
};

}  // namespace tessaly
