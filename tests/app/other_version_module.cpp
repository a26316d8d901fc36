// A module as a later build would make it: its factories want another
// version of the interfaces than this build's.
#include "modules/print_engine.h"
#include "modules/sync_engine.h"

#if defined(_WIN32)
#define TESSALY_TEST_EXPORT __declspec(dllexport)
#else
#define TESSALY_TEST_EXPORT __attribute__((visibility("default")))
#endif

extern "C" TESSALY_TEST_EXPORT tessaly::Sync_Engine* tessaly_create_sync_engine(int version) {
    if (version != tessaly::Sync_Engine_Version + 1) {
        return nullptr;
    }
    return tessaly::Make_Sync_Engine().release();
}

extern "C" TESSALY_TEST_EXPORT tessaly::Print_Engine* tessaly_create_print_engine(int version) {
    if (version != tessaly::Print_Engine_Version + 1) {
        return nullptr;
    }
    return nullptr;
}
