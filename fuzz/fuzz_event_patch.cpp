// A server's event patched with an entry: the event is taken or the patch
// gives none; a patched event reads as the entry's own event does, with the
// same UID; every line the list does not own stays, byte for byte and in
// order; an event that already reads as the entry comes back unchanged, and
// patching twice changes nothing more.
//
// Input: a byte of flags (bits 0-3: the name, event type, comment and date
// come from the input instead of the event; bit 4: the entry is year-less;
// bit 5: the date counts back from 31 December 9999; bit 6: the entry's
// lead comes from the third date byte, none where it is a multiple of 4;
// bit 7: the account has a default alarm, on the day where the second date
// byte is a multiple of 3, else the first date byte's days before),
// three bytes of date, the entry's texts up to the first NUL byte (name,
// event type and comment split at 0x1F), then the event's text.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dates.h"
#include "core/entry_attributes.h"
#include "core/field_limits.h"
#include "fuzz/fuzz_check.h"
#include "sync/event_patch.h"
#include "sync/event_resource.h"
#include "tests/sync/event_lines.h"

namespace tessaly::fuzz {
namespace {

using namespace std::chrono;

const sys_seconds Stamp = sys_days{year{2026} / December / 9} + hours{17};

std::uint8_t Byte_At(std::string_view bytes, std::size_t i) {
    return i < bytes.size() ? static_cast<std::uint8_t>(bytes[i]) : 0;
}

std::string Typed(std::string_view text) {
    Field_Repairs repairs;
    return Storable_Text(text, repairs);
}

// A whole day within years 1..9999, counted from the first or the last.
Day_Number Date_Of(std::string_view bytes, bool from_last) {
    const auto value = static_cast<std::uint32_t>(Byte_At(bytes, 0) | Byte_At(bytes, 1) << 8 |
                                                  Byte_At(bytes, 2) << 16);
    constexpr auto Days = static_cast<std::uint32_t>(Last_Day_Number - First_Day_Number + 1);
    const auto offset = static_cast<Day_Number>(value % Days);
    return from_last ? Last_Day_Number - offset : First_Day_Number + offset;
}

TName_And_Event_Data Entry_Of(std::uint8_t flags, std::string_view date, std::string_view texts,
                              const TName_And_Event_Data& base) {
    TName_And_Event_Data entry = base;
    const std::size_t first = texts.find('\x1f');
    const std::size_t second =
        first == std::string_view::npos ? first : texts.find('\x1f', first + 1);
    const std::string_view name = texts.substr(0, first);
    const std::string_view type =
        first == std::string_view::npos ? "" : texts.substr(first + 1, second - first - 1);
    const std::string_view comment =
        second == std::string_view::npos ? "" : texts.substr(second + 1);
    if (flags & 1) {
        entry.Name = Typed(name);
    }
    if (flags & 2) {
        entry.Event_Type = Typed(type);
    }
    if (flags & 4) {
        entry.Comments = Typed(comment);
    }
    if (flags & 8) {
        entry.Orig_Date = Date_Of(date, (flags & 32) != 0);
    }
    if (flags & 16) {
        const Civil_Date day = Decode_Date(entry.Orig_Date);
        entry.Orig_Date = Year_Unknown_Date(day.Month, day.Day);
        Write_Entry_Attributes(entry, {true, Read_Entry_Attributes(entry).Own_Lead});
    }
    if (flags & 64) {
        const int byte = Byte_At(date, 2);
        Write_Entry_Attributes(entry,
                               {Read_Entry_Attributes(entry).Year_Unknown,
                                byte % 4 == 0 ? std::nullopt : std::optional<int>(byte % 365 + 1)});
    }
    return entry;
}

bool Reads_Same(const TName_And_Event_Data& a, const TName_And_Event_Data& b) {
    return a.Name == b.Name && a.Event_Type == b.Event_Type && a.Comments == b.Comments &&
           Whole_Day(a.Orig_Date) == Whole_Day(b.Orig_Date) &&
           Read_Entry_Attributes(a) == Read_Entry_Attributes(b);
}

// The lines but those that record a change (DTSTAMP, LAST-MODIFIED,
// SEQUENCE).
std::vector<std::string> Without_Stamps(std::vector<std::string> lines) {
    std::erase_if(lines, [](const std::string& line) {
        const std::string name = line.substr(0, line.find_first_of(";:"));
        return name == "DTSTAMP" || name == "LAST-MODIFIED" || name == "SEQUENCE";
    });
    return lines;
}

// The lines without their folds and line ends.
std::vector<std::string> Unfolded(std::vector<std::string> lines) {
    for (std::string& line : lines) {
        std::string text;
        std::size_t at = 0;
        while (at < line.size()) {
            std::size_t end = std::min(line.find('\n', at), line.size());
            const std::size_t next = end == line.size() ? end : end + 1;
            if (end > at && line[end - 1] == '\r' && end < line.size()) {
                --end;
            }
            // A continuation's first blank is the fold's.
            text += line.substr(at == 0 ? 0 : at + 1, end - std::min(end, at == 0 ? 0 : at + 1));
            at = next;
        }
        line = text;
    }
    return lines;
}

void Check_Patch(std::uint8_t flags, std::string_view date, std::string_view texts,
                 std::string_view current) {
    const Event_Entry read = Read_Event_Entry(current);
    TName_And_Event_Data base;
    base.Orig_Date = Encode_Date(1980, 6, 1);
    const bool taken = read.Reading == Event_Reading::Taken;
    const TName_And_Event_Data entry = Entry_Of(flags, date, texts, taken ? read.Entry : base);
    Default_Alarm alarm;
    if (flags & 128) {
        alarm = Byte_At(date, 1) % 3 == 0
                    ? Default_Alarm{Default_Alarm::Kind::On_The_Day, 0}
                    : Default_Alarm{Default_Alarm::Kind::Days_Before, Byte_At(date, 0) % 365 + 1};
    }
    const std::optional<std::string> patched = Patch_Event(current, entry, Stamp, alarm);
    if (!taken) {
        Check(!patched, "only a taken event is patched");
        return;
    }
    const Event_Entry fresh = Read_Event_Entry(Entry_Event(entry, read.Uid, Stamp, alarm));
    Check(fresh.Reading == Event_Reading::Taken, "an entry's own event is taken");
    Check(patched.has_value(), "every taken event is patched", Shown(current));

    const Event_Entry again = Read_Event_Entry(*patched);
    Check(again.Reading == Event_Reading::Taken, "a patched event is taken", Shown(*patched));
    Check_Same(read.Uid, again.Uid, "the UID stays");
    Check_Same(fresh.Entry.Name, again.Entry.Name, "the name reads as the entry's");
    Check_Same(fresh.Entry.Event_Type, again.Entry.Event_Type, "the type reads as the entry's");
    Check_Same(fresh.Entry.Comments, again.Entry.Comments, "the comment reads as the entry's");
    Check(Reads_Same(fresh.Entry, again.Entry), "the date and the lead read as the entry's",
          *patched);
    Check(again.Foreign_Lead == read.Foreign_Lead && again.Foreign_Alarm == read.Foreign_Alarm,
          "other clients' alarms read as before");

    const auto before = test::Split_Event_Lines(current);
    const auto after = test::Split_Event_Lines(*patched);
    Check(before && after && before->Others == after->Others,
          "every line the list does not own stays", Shown(*patched));
    if (Reads_Same(read.Entry, fresh.Entry)) {
        // Only alarms of ours and the declined lead's mark may change, to the
        // ones wanted, and where they do the stamps say so.
        if (before->Alarms == after->Alarms) {
            Check_Same(current, *patched, "an event that reads as the entry stays as it is");
        }
        // Where they do, the event is written as any changed one: what it
        // lacks of ours is added, what reads otherwise than the entry's own
        // event is rewritten, and lines already as that event has them stay.
        const auto own = test::Split_Event_Lines(Entry_Event(entry, read.Uid, Stamp, alarm));
        Check(own.has_value(), "an entry's own event splits into lines");
        const std::vector<std::string> kept = Unfolded(Without_Stamps(after->Owned));
        for (const std::string& line : Unfolded(Without_Stamps(before->Owned))) {
            const std::vector<std::string> wanted = Unfolded(own->Owned);
            if (std::find(wanted.begin(), wanted.end(), line) != wanted.end()) {
                Check(std::find(kept.begin(), kept.end(), line) != kept.end(),
                      "a line already as the entry's own event has it stays", line);
            }
        }
    }
    const auto twice = Patch_Event(*patched, entry, Stamp + hours{1}, alarm);
    Check(twice.has_value(), "a patched event is patched again", Shown(*patched));
    Check_Same(*patched, *twice, "a second patch changes nothing");
    Check(Carries_Own_Alarms(*patched, entry, alarm), "a patched event carries our alarms");
}

}  // namespace
}  // namespace tessaly::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly::fuzz;
    if (size < 4) {
        return 0;
    }
    const std::string_view rest = Bytes_Of(data + 4, size - 4);
    const std::size_t nul = rest.find('\0');
    const std::string_view texts = rest.substr(0, nul);
    const std::string_view event =
        nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);
    try {
        Check_Patch(data[0], Bytes_Of(data + 1, 3), texts, event);
    } catch (const std::exception& error) {
        Fail("patching an event throws nothing", error.what());
    }
    return 0;
}
