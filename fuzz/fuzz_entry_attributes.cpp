// The spare fields' attribute encoding: any bytes a data file's line can
// hold as the four spare fields (split at 0x1F bytes), the first byte choosing attributes to write.
// Every field loads and saves unchanged through the data file; a field of ours gives back its exact
// text; writing attributes never touches another program's field and reads back as written.

#include <array>
#include <cstdint>
#include <exception>
#include <string>

#include "core/data_file.h"
#include "core/dates.h"
#include "core/entry_attributes.h"
#include "core/event_list.h"
#include "fuzz/fuzz_check.h"

namespace tessaly::fuzz {
namespace {

std::array<std::string*, 4> Spares(TName_And_Event_Data& entry) {
    return {&entry.Spare_1, &entry.Spare_2, &entry.Spare_3, &entry.Spare_4};
}

// A line of a data file holds any byte but CR, Ctrl-Z and NUL (a file with
// NUL bytes is refused as UTF-16 or binary): those become blanks, as they do
// in every text that enters the list.
std::string As_A_Line(std::string_view bytes) {
    std::string line(bytes);
    for (char& c : line) {
        if (c == '\r' || c == '\x1a' || c == '\0') {
            c = ' ';
        }
    }
    return line;
}

void Check_Field(const std::string& text) {
    if (const auto field = Parse_Attribute_Field(text)) {
        Check_Same(text, Encode_Attribute_Field(*field), "a field of ours gives back its text");
    }
}

void Check_Load_And_Save(const TName_And_Event_Data& entry) {
    Event_List list;
    list.Append() = entry;
    const std::string bytes = Serialise_Data_File(list);
    Event_List loaded;
    try {
        Parse_Data_File(bytes, loaded, {});
    } catch (const std::exception& error) {
        Fail("a saved entry loads", error.what());
    }
    Check(loaded.Event_Count() == 1, "a saved entry loads as one entry");
    TName_And_Event_Data& back = loaded.At(1);
    const auto spares = Spares(back);
    const auto originals = Spares(const_cast<TName_And_Event_Data&>(entry));
    for (std::size_t i = 0; i < spares.size(); ++i) {
        Check_Same(*originals[i], *spares[i], "a spare field loads unchanged");
    }
    Check_Same(bytes, Serialise_Data_File(loaded), "a loaded file saves unchanged");
}

void Check_Write(TName_And_Event_Data entry, std::uint8_t choice) {
    const TName_And_Event_Data before = entry;
    Entry_Attributes wanted;
    wanted.Year_Unknown = (choice & 0x80) != 0;
    if ((choice & 0x7F) != 0) {
        wanted.Own_Lead = (choice & 0x7F) * 2;
    }
    bool written = false;
    try {
        written = Write_Entry_Attributes(entry, wanted);
    } catch (const std::exception& error) {
        Fail("writing attributes never throws", error.what());
    }
    const auto after = Spares(entry);
    const auto was = Spares(const_cast<TName_And_Event_Data&>(before));
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (!was[i]->empty() && !Parse_Attribute_Field(*was[i])) {
            Check_Same(*was[i], *after[i], "another program's field is never changed");
        }
        Check_Field(*after[i]);
    }
    if (!written) {
        Check(entry == before, "a refused write changes nothing");
        return;
    }
    Check(Read_Entry_Attributes(entry) == wanted, "written attributes read back");
    TName_And_Event_Data again = entry;
    Write_Entry_Attributes(again, wanted);
    Check(again == entry, "writing the same attributes again changes nothing");
}

}  // namespace
}  // namespace tessaly::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    using namespace tessaly::fuzz;
    if (size == 0) {
        return 0;
    }
    const std::uint8_t choice = data[0];
    std::string_view rest = Bytes_Of(data + 1, size - 1);

    TName_And_Event_Data entry;
    entry.Name = "Ann";
    entry.Orig_Date = Year_Unknown_Date(2, 29);
    entry.Event_Type = "Birthday";
    for (std::string* spare : Spares(entry)) {
        const std::size_t cut = rest.find('\x1f');
        *spare = As_A_Line(rest.substr(0, cut));
        rest = cut == std::string_view::npos ? std::string_view{} : rest.substr(cut + 1);
        Check_Field(*spare);
    }
    try {
        Read_Entry_Attributes(entry);
    } catch (const std::exception& error) {
        Fail("reading attributes never throws", error.what());
    }
    Check_Load_And_Save(entry);
    Check_Write(entry, choice);
    return 0;
}
