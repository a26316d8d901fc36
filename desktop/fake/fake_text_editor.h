#pragma once

#include <filesystem>
#include <vector>

#include "desktop/text_editor.h"

namespace tessaly {

// Records the files it was asked to open.
class Fake_Text_Editor final : public Text_Editor {
public:
    bool View_In_Notepad(const std::filesystem::path& file) override {
        Viewed_Files.push_back(file);
        return Editor_Found;
    }

    std::vector<std::filesystem::path> Viewed_Files;
    bool Editor_Found = true;
};

}  // namespace tessaly
