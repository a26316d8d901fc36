#pragma once

namespace tessaly {

inline constexpr const char* Program_Title = "Tessaly v1.0f";

// The maker's web address: the About box's web button shows it and the
// report's last line repeats it, so both read this one constant.
inline constexpr const char* Maker_Web_Address = "https://tessaly.example.org";

}  // namespace tessaly
