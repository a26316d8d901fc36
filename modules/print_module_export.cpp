// The print module's one export.
#include "modules/print_engine.h"

#if defined(_WIN32)
#define TESSALY_MODULE_EXPORT __declspec(dllexport)
#else
#define TESSALY_MODULE_EXPORT __attribute__((visibility("default")))
#endif

extern "C" TESSALY_MODULE_EXPORT tessaly::Print_Engine* tessaly_create_print_engine(int version) {
    if (version != tessaly::Print_Engine_Version) {
        return nullptr;
    }
    return tessaly::Make_Print_Engine().release();
}
