#include "core/profile_file.h"

namespace tessaly {

// UTF-8, as every text file of the desktop.
Profile_Encoding New_Profile_Encoding() {
    return Profile_Encoding::Eight_Bit;
}

}  // namespace tessaly
