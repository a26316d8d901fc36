#pragma once

#include "desktop/file_routines.h"

namespace tessaly {

// The service over this system's own routines. Only backends include it:
// code that sees this class may call the routines directly, which only the
// backend defines.
class System_File_Routines final : public File_Routines {
public:
    std::string File_Status(const std::filesystem::path& file) override {
        return tessaly::File_Status(file);
    }
    bool Delete_File_Safely(const std::filesystem::path& file) override {
        return tessaly::Delete_File_Safely(file);
    }
};

}  // namespace tessaly
