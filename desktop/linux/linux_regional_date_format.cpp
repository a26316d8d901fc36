#include "core/short_date.h"
#include "desktop/linux/linux_services.h"

namespace tessaly {

namespace {

// The C library's LC_TIME locale, which the program sets from the
// environment at start.
class Linux_Regional_Date_Format final : public Regional_Date_Format {
public:
    std::string Short_Date_Pattern() override { return Locale_Short_Date_Pattern(); }
};

}  // namespace

std::unique_ptr<Regional_Date_Format> Make_Linux_Regional_Date_Format() {
    return std::make_unique<Linux_Regional_Date_Format>();
}

}  // namespace tessaly
