// Histories of two devices and a phone sharing one calendar, one step per
// byte or few (see tests/test_support/sync_history.h): no entry is lost
// without a deletion behind it, a sync answered Stop changes nothing, a
// second sync finds nothing to do, and both devices end agreeing with the
// server.

#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "test_support/sync_history.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Longer inputs add no steps.
    constexpr std::size_t Most_Bytes = 8 * tessaly::test::Most_History_Steps;
    if (size > Most_Bytes) {
        return 0;
    }
    const auto result = tessaly::test::Run_Sync_History(tessaly::fuzz::Bytes_Of(data, size));
    if (result.Failure) {
        tessaly::fuzz::Fail(*result.Failure, "history:\n" + result.Trace);
    }
    return 0;
}
