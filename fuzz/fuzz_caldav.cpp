// What a calendar server sends: the first byte chooses the parser (even: an
// event resource, odd: a multistatus reply), the rest is its input; and the
// sync state file, read from the same bytes. An event taken as an entry is
// written and read back as the same entry; a state read back is written and
// read as the same state; a multistatus reply never names a resource by an
// empty href.

#include <cstdint>
#include <exception>
#include <string>

#include "caldav/caldav_xml.h"
#include "caldav/http_transport.h"
#include "fuzz/fuzz_check.h"
#include "sync/event_resource.h"
#include "sync/sync_state.h"

namespace tessaly::fuzz {
namespace {

void Check_Event(std::string_view text) {
    const Event_Entry read = Read_Event_Entry(text);
    if (read.Reading != Event_Reading::Taken) {
        return;
    }
    const std::string written = Entry_Event(read.Entry, read.Uid, {});
    const Event_Entry again = Read_Event_Entry(written);
    Check(again.Reading == Event_Reading::Taken, "an entry's event is taken back", written);
    Check_Same(read.Uid, again.Uid, "the UID survives");
    Check_Same(Entry_Event_Content(read.Entry), Entry_Event_Content(again.Entry),
               "the entry survives its event");
}

void Check_State(std::string_view text) {
    const auto state = Decode_Sync_State(text);
    if (!state) {
        return;
    }
    const std::string written = Encode_Sync_State(*state);
    const auto again = Decode_Sync_State(written);
    Check(again.has_value() && *again == *state, "a state survives its file", written);
}

void Check_Multistatus(std::string_view text) {
    try {
        for (const auto& response : Parse_Multistatus(text).Responses) {
            Check(!response.Href.empty(), "every response names its resource");
        }
    } catch (const CalDAV_Error& error) {
        Check(error.Failure() == CalDAV_Failure::Broken_Reply, "only a broken reply fails",
              error.what());
    }
}

}  // namespace
}  // namespace tessaly::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly::fuzz;
    if (size == 0) {
        return 0;
    }
    const std::string_view rest = Bytes_Of(data + 1, size - 1);
    try {
        if (data[0] % 2 == 0) {
            Check_Event(rest);
        } else {
            Check_Multistatus(rest);
        }
        Check_State(rest);
    } catch (const std::exception& error) {
        Fail("reading what a server sends throws nothing but its own error", error.what());
    }
    return 0;
}
