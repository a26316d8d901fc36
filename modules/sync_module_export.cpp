// The sync module's one export.
#include "modules/sync_engine.h"

#if defined(_WIN32)
#define TESSALY_MODULE_EXPORT __declspec(dllexport)
#else
#define TESSALY_MODULE_EXPORT __attribute__((visibility("default")))
#endif

extern "C" TESSALY_MODULE_EXPORT tessaly::Sync_Engine* tessaly_create_sync_engine(int version) {
    if (version != tessaly::Sync_Engine_Version) {
        return nullptr;
    }
    try {
        return tessaly::Make_Sync_Engine().release();
    } catch (...) {
        return nullptr;
    }
}
