// Any sequence of the ways into the list (each import, typing in the add and
// edit dialog, deleting, loading a file) leaves a list that the data file
// holds: what is saved loads back as the same list, byte for byte.

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "core/data_file.h"
#include "core/errors.h"
#include "core/event_list.h"
#include "core/field_limits.h"
#include "core/import.h"
#include "exchange/csv_exchange.h"
#include "exchange/vcard_import.h"
#include "fuzz/fuzz_check.h"

namespace tessaly::fuzz {
namespace {

// The input as operations: a byte for the kind, two for the length of the
// bytes the operation takes, then those bytes.
class Operations {
public:
    explicit Operations(std::string_view input) : input_(input) {}

    bool Next(std::uint8_t& kind, std::string_view& bytes) {
        if (input_.size() < 3) {
            return false;
        }
        kind = static_cast<std::uint8_t>(input_[0]);
        const std::size_t length = static_cast<std::uint8_t>(input_[1]) |
                                   static_cast<std::size_t>(static_cast<std::uint8_t>(input_[2]))
                                       << 8;
        input_.remove_prefix(3);
        bytes = input_.substr(0, length);
        input_.remove_prefix(bytes.size());
        return true;
    }

private:
    std::string_view input_;
};

std::uint8_t Byte_At(std::string_view bytes, std::size_t i) {
    return i < bytes.size() ? static_cast<std::uint8_t>(bytes[i]) : 0;
}

// A whole day within years 1..9999, as the dialog's calendar gives.
Day_Number Date_Of(std::string_view bytes) {
    const auto value = static_cast<std::uint32_t>(Byte_At(bytes, 0) | Byte_At(bytes, 1) << 8 |
                                                  Byte_At(bytes, 2) << 16);
    constexpr double First_Day = -693593;  // 1 January 0001
    constexpr double Days = 2958465 - First_Day + 1;
    return First_Day + static_cast<double>(value % static_cast<std::uint32_t>(Days));
}

// Typed texts, as the window stores them.
std::string Typed(std::string_view text) {
    Field_Repairs repairs;
    return Storable_Text(text, repairs);
}

void Apply(Event_List& list, std::uint8_t kind, std::string_view bytes) {
    switch (kind % 7) {
        case 0:
            Import_CSV(list, bytes, {});
            break;
        case 1: {
            Field_Repairs repairs;
            try {
                Append_Sibling_Lines(list, Split_Sibling_Lines(bytes), repairs);
            } catch (const Convert_Error&) {
                // The lines before the bad one stay, as in the window.
            }
            break;
        }
        case 2:
            Append_VCard_Events(list, bytes);
            break;
        case 3:
        case 4: {
            // Add or edit: name, event type and comment, separated by 0x1F.
            const std::size_t first = bytes.find('\x1f');
            const std::size_t second =
                first == std::string_view::npos ? first : bytes.find('\x1f', first + 1);
            const std::string_view name = bytes.substr(0, first);
            const std::string_view type =
                first == std::string_view::npos ? "" : bytes.substr(first + 1, second - first - 1);
            const std::string_view comments =
                second == std::string_view::npos ? "" : bytes.substr(second + 1);
            const Day_Number date = Date_Of(comments);
            if (kind % 7 == 3 || list.Event_Count() == 0) {
                if (!list.Is_Full()) {
                    TName_And_Event_Data& entry = list.Append();
                    entry.Name = Typed(name);
                    entry.Orig_Date = date;
                    entry.Event_Type = Typed(type);
                    entry.Comments = Typed(comments);
                }
            } else {
                list.Replace(1 + Byte_At(bytes, 0) % list.Event_Count(), Typed(name), date,
                             Typed(type), Typed(comments));
            }
            break;
        }
        case 5:
            if (list.Event_Count() > 0) {
                const int position = 1 + Byte_At(bytes, 0) % list.Event_Count();
                const int count = 1 + Byte_At(bytes, 1) % (list.Event_Count() - position + 1);
                list.Remove_Run(position, count);
            }
            break;
        default:
            try {
                Parse_Data_File(bytes, list, {});
            } catch (const Tessaly_Error&) {
                // The window never saves over a file it could not load.
                list.Initialise_Entire_Array_ButtonClick();
            }
            break;
    }
}

void Check_Saved_List_Loads_Back(const Event_List& list) {
    const std::string bytes = Serialise_Data_File(list);
    try {
        Check_Loadable(bytes, list.Event_Count());
    } catch (const Unsaveable_List_Error& error) {
        Fail("every list the program makes can be saved", error.what());
    }
    Event_List loaded;
    Parse_Data_File(bytes, loaded, {});
    Check(loaded.Event_Count() == list.Event_Count(), "the saved list loads as many entries");
    for (int i = 1; i <= list.Event_Count(); ++i) {
        const TName_And_Event_Data& a = list.At(i);
        const TName_And_Event_Data& b = loaded.At(i);
        Check_Same(a.Name, b.Name, "a name loads back unchanged");
        Check_Same(a.Event_Type, b.Event_Type, "an event type loads back unchanged");
        Check_Same(a.Comments, b.Comments, "a comment loads back unchanged");
        for (const auto spare : {&TName_And_Event_Data::Spare_1, &TName_And_Event_Data::Spare_2,
                                 &TName_And_Event_Data::Spare_3, &TName_And_Event_Data::Spare_4}) {
            Check_Same(a.*spare, b.*spare, "a spare field loads back unchanged");
        }
    }
    Check_Same(bytes, Serialise_Data_File(loaded), "the loaded list saves the same bytes");
}

}  // namespace
}  // namespace tessaly::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    using namespace tessaly::fuzz;
    Operations operations(Bytes_Of(data, size));
    Event_List list;
    std::uint8_t kind = 0;
    std::string_view bytes;
    while (operations.Next(kind, bytes)) {
        try {
            Apply(list, kind, bytes);
        } catch (const std::exception& error) {
            Fail("no way into the list throws", error.what());
        }
        Check_Saved_List_Loads_Back(list);
    }
    return 0;
}
