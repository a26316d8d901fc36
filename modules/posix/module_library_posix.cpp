#include <dlfcn.h>

#include <cstring>

#include "modules/module_library.h"

namespace tessaly::detail {

Module_Function Load_Module_Function(const std::filesystem::path& file, const char* name) {
    // Local: the module's own copies of the program's code stay its own.
    void* library = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return nullptr;
    }
    void* symbol = ::dlsym(library, name);
    if (symbol == nullptr) {
        ::dlclose(library);
        return nullptr;
    }
    // POSIX gives functions as object pointers; copied, since C++ converts
    // between the two kinds only conditionally.
    Module_Function function = nullptr;
    static_assert(sizeof(function) == sizeof(symbol));
    std::memcpy(&function, &symbol, sizeof(function));
    return function;
}

}  // namespace tessaly::detail
