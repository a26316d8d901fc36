#include "core/profile_file.h"

namespace tessaly {

// GetPrivateProfileStringW reads a file with a UTF-16 mark as UTF-16, and
// WritePrivateProfileStringW keeps it so.
Profile_Encoding New_Profile_Encoding() {
    return Profile_Encoding::UTF16_LE;
}

}  // namespace tessaly
