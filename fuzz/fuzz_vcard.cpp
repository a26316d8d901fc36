// Contacts files: any bytes as a vCard file. Every event is one line of
// valid UTF-8 with a date the list accepts, the counts add up, and a second
// import of the same file takes nothing.

#include <cmath>
#include <cstdint>
#include <exception>
#include <set>
#include <string>
#include <tuple>

#include "core/dates.h"
#include "core/entry_attributes.h"
#include "core/event_list.h"
#include "core/text_encoding.h"
#include "exchange/vcard_import.h"
#include "fuzz/fuzz_check.h"

namespace tessaly::fuzz {
namespace {

void Check_Line_Text(std::string_view text, std::size_t longest, std::string_view what) {
    Check(Is_Valid_UTF8(text), "a contact's text is valid UTF-8", Shown(text));
    Check(text.size() <= longest, "a contact's text is within its length", what);
    for (const char c : text) {
        const auto byte = static_cast<std::uint8_t>(c);
        Check(byte >= 0x20 && byte != 0x7F, "a contact's text is one line without controls",
              Shown(text));
    }
    Check(text.empty() || (text.front() != ' ' && text.back() != ' '),
          "a contact's text has no blanks at its ends", Shown(text));
}

int Check_Events(std::string_view bytes) {
    int events = 0;
    Read_VCard_Events(bytes, [&](VCard_Event&& event) {
        ++events;
        Check_Line_Text(event.Name, VCard_Longest_Name, "name");
        Check_Line_Text(event.Event_Type, VCard_Longest_Type, "event type");
        if (event.Kind == VCard_Date_Kind::Unreadable) {
            Check(event.Orig_Date == 0, "an event without a date has day 0");
        } else {
            Check(!event.Name.empty() && !event.Event_Type.empty(),
                  "a dated event has a name and a type");
            Check(Is_Day_Number_In_Range(event.Orig_Date) &&
                      event.Orig_Date == std::trunc(event.Orig_Date),
                  "a dated event is a whole day within years 1..9999");
            Check(event.Kind == VCard_Date_Kind::Dated ||
                      Decode_Date(event.Orig_Date).Year == Year_Unknown_Placeholder,
                  "an event without a year keeps its day in the placeholder year");
        }
    });
    return events;
}

void Check_Append(std::string_view bytes, int events) {
    Event_List list;
    const VCard_Import_Counts counts = Append_VCard_Events(list, bytes);
    Check(counts.Imported + counts.Already_In_List + counts.Unreadable + counts.Not_Taken == events,
          "every event is counted once");
    Check(counts.Without_Year <= counts.Imported, "year-less entries are among those imported");
    Check(list.Event_Count() == counts.Imported, "the list holds what was imported");
    Check(counts.Not_Taken == 0 || list.Is_Full(), "events are left out only from a full list");
    std::set<std::tuple<std::string, std::int32_t, std::string>> seen;
    for (const TName_And_Event_Data& entry : list.Entries()) {
        Check(
            seen.emplace(entry.Name, Whole_Day(entry.Orig_Date), Ascii_Upper_Case(entry.Event_Type))
                .second,
            "no event is taken twice", Shown(entry.Name));
        Check(entry.Comments.empty() &&
                  (entry.Spare_1.empty() || entry.Spare_1 == "[Tessaly/1]year=unknown"),
              "an import sets no comments, and only the mark of a missing year");
    }
    const VCard_Import_Counts again = Append_VCard_Events(list, bytes);
    Check(again.Imported == 0, "a second import of the same file takes nothing");
}

}  // namespace
}  // namespace tessaly::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly::fuzz;
    const std::string_view bytes = Bytes_Of(data, size);
    try {
        Check_Append(bytes, Check_Events(bytes));
    } catch (const std::exception& error) {
        Fail("reading a contacts file never throws", error.what());
    }
    return 0;
}
