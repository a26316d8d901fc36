#pragma once

#include <stdexcept>
#include <string>

#include "core/short_date.h"

namespace tessaly {

// A --date-format pattern with a conversion the tool does not take; the
// message says which ("unknown conversion '%Q'").
class Date_Format_Error : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// The conversions a --date-format pattern may hold, as the help lists them:
// "%a %A ... %%". Each comes out alike on Linux and Windows.
std::string Date_Format_Conversions();

// The formatter of a --date-format pattern. Throws Date_Format_Error for any
// conversion outside Date_Format_Conversions() other than the unpadded forms
// (%-d or %#d and the like), and for a lone '%' at the end.
Short_Date_Formatter Make_Date_Format_Formatter(const std::string& pattern);

}  // namespace tessaly
