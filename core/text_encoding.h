#pragma once

#include <string>
#include <string_view>

namespace tessaly {

bool Is_Valid_UTF8(std::string_view bytes);

// The text as it is shown: unchanged when it is valid UTF-8, otherwise read
// as Windows-1252 (files written by the Windows program) and converted to
// UTF-8. The stored bytes are never changed by this.
std::string To_Display_UTF8(std::string_view bytes);

}  // namespace tessaly
