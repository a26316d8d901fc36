#include "core/field_limits.h"

#include <algorithm>

#include "core/atomic_file.h"
#include "core/text_encoding.h"

namespace tessaly {

// A full list of the longest texts, with the date and line ends of each
// entry, still makes a data file the load reads.
static_assert(Event_Array_Size * (3 * Longest_Field + 64) < Largest_Readable_File);

std::string Storable_Text(std::string_view text, Field_Repairs& repairs) {
    std::string out;
    out.reserve(std::min(text.size(), Longest_Field));
    bool blanked = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            out += '\n';
        } else if (c == '\0' || c == '\x1a') {
            out += ' ';
            blanked = true;
        } else {
            out += c;
        }
        if (out.size() > Longest_Field) {
            break;
        }
    }
    if (blanked) {
        ++repairs.Blanked;
    }
    if (out.size() > Longest_Field) {
        std::size_t end = Character_Boundary(out, Longest_Field);
        // Text from Windows is one byte a character: only UTF-8 has
        // characters to keep whole.
        if (!Is_Valid_UTF8(std::string_view(out).substr(0, end))) {
            end = Longest_Field;
        }
        out.resize(end);
        ++repairs.Shortened;
    }
    return out;
}

void Make_Storable(TName_And_Event_Data& entry, Field_Repairs& repairs) {
    entry.Name = Storable_Text(entry.Name, repairs);
    entry.Event_Type = Storable_Text(entry.Event_Type, repairs);
    entry.Comments = Storable_Text(entry.Comments, repairs);
}

}  // namespace tessaly
