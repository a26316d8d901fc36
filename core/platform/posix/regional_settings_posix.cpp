#include <langinfo.h>

#include "core/platform/regional_settings.h"

namespace tessaly {

std::string System_Short_Date_Pattern() {
    return ::nl_langinfo(D_FMT);
}

}  // namespace tessaly
