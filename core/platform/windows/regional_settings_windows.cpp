#include <windows.h>

#include <iterator>

#include "core/platform/regional_settings.h"
#include "core/platform/windows/windows_text.h"

namespace tessaly {

namespace detail {

// The regional short date picture ("dd/MM/yyyy", "d. MMMM yyyy") as a
// strftime pattern; '%#d' is the C runtime's day without a leading zero.
std::string Strftime_Of_Date_Picture(const std::string& picture) {
    std::string pattern;
    for (std::size_t i = 0; i < picture.size();) {
        const char c = picture[i];
        std::size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c) {
            ++run;
        }
        if (c == '\'') {
            // Quoted text stands as it is; two quotes are one.
            const std::size_t end = picture.find('\'', i + 1);
            const std::string text =
                picture.substr(i + 1, (end == std::string::npos ? picture.size() : end) - i - 1);
            pattern += text.empty() ? "'" : text;
            i = end == std::string::npos ? picture.size() : end + 1;
            continue;
        }
        switch (c) {
            case 'd':
                pattern += run == 1 ? "%#d" : run == 2 ? "%d" : run == 3 ? "%a" : "%A";
                break;
            case 'M':
                pattern += run == 1 ? "%#m" : run == 2 ? "%m" : run == 3 ? "%b" : "%B";
                break;
            case 'y':
                pattern += run <= 2 ? "%y" : "%Y";
                break;
            case 'g':
                // The era: none in the Gregorian calendar's short dates.
                break;
            case '%':
                pattern.append(run * 2, '%');
                break;
            default:
                pattern.append(run, c);
        }
        i += run;
    }
    return pattern;
}

}  // namespace detail

std::string System_Short_Date_Pattern() {
    // Wide, since a region's picture may quote letters ("d.MM.yyyy 'г'.")
    // that its ANSI code page lacks; the pattern is UTF-8 like every text.
    wchar_t picture[128] = {};
    if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, picture,
                         static_cast<int>(std::size(picture))) == 0) {
        return {};
    }
    return detail::Strftime_Of_Date_Picture(detail::Utf8_From_Wide(picture));
}

}  // namespace tessaly
