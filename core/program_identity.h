#pragma once

namespace tessaly {

inline constexpr const char* Program_Title = "Tessaly v1.0f";

// The desktop's name for the program: its desktop entry, icon and metadata.
inline constexpr const char* Application_Id = "org.example.Tessaly";
// Windows' name for it (AppUserModelID): the Start-menu shortcut carries it,
// and the notifier's balloons show under it.
inline constexpr const char* Windows_App_User_Model_Id = "HarrowSoftware.Tessaly";

// The maker's web address: the About box's web button shows it and the
// report's last line repeats it, so both read this one constant.
inline constexpr const char* Maker_Web_Address = "https://tessaly.example.org";

// The maker's details as the About box shows them.
inline constexpr const char* Maker_Name = "Harrow Software";
inline constexpr const char* Release_Date = "September 2007";
inline constexpr const char* Developed_Using = "Developed using C++20 and Qt 6";
// The current year in four digits follows at run time.
inline constexpr const char* Copyright_Notice = "Copyright (c) 2007-";
inline constexpr const char* Software_Status = "Freeware: free to use and to share";
inline constexpr const char* Email_Link_Caption = "Comments and suggestions :";
inline constexpr const char* Web_Link_Caption = "Visit my web page :";
inline constexpr const char* Maker_Email_Address = "harrow@example.org";
inline constexpr const char* Donation_Address = "https://tessaly.example.org/donate";

}  // namespace tessaly
