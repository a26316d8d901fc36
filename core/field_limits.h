#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/event_list.h"

namespace tessaly {

// The most bytes a name, event type or comment takes from typing or an
// import: the 32,767 characters a one-line edit field holds, at three bytes
// each. Five hundred entries at this size stay far below what the load reads.
inline constexpr std::size_t Longest_Field = 98'304;

// What making texts storable changed, for the import's message.
struct Field_Repairs {
    // Fields cut to Longest_Field.
    int Shortened = 0;
    // Fields that held NUL or Ctrl-Z bytes, now blanks.
    int Blanked = 0;

    bool Any() const { return Shortened > 0 || Blanked > 0; }
};

// The text as the data file holds it and the load gives it back: CR LF and a
// lone CR become LF, since the file ends its lines at CR; NUL (which the load
// refuses) and Ctrl-Z (which ends the file) become blanks; text past
// Longest_Field is cut without splitting a UTF-8 character.
std::string Storable_Text(std::string_view text, Field_Repairs& repairs);

// The entry's name, event type and comments made storable. The spare fields
// come only from the data file, which already held them.
void Make_Storable(TName_And_Event_Data& entry, Field_Repairs& repairs);

}  // namespace tessaly
