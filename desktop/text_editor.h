#pragma once

#include <filesystem>

namespace tessaly {

// The desktop's text editor, for the text files the Help menu opens.
class Text_Editor {
public:
    virtual ~Text_Editor() = default;

    // Opens the file in the editor without waiting for it; false when there
    // is no editor to open it with.
    virtual bool View_In_Notepad(const std::filesystem::path& file) = 0;
};

}  // namespace tessaly
