#include <windows.h>

#include "modules/module_library.h"

namespace tessaly::detail {

Module_Function Load_Module_Function(const std::filesystem::path& file, const char* name) {
    // The DLLs the module needs are looked for in its own folder first.
    HMODULE library = ::LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (library == nullptr) {
        return nullptr;
    }
    const FARPROC function = ::GetProcAddress(library, name);
    if (function == nullptr) {
        ::FreeLibrary(library);
        return nullptr;
    }
    return reinterpret_cast<Module_Function>(function);
}

}  // namespace tessaly::detail
