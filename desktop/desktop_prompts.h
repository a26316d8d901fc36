#pragma once

#include <string>

namespace tessaly {

// How the desktop commands speak to the user: modal message boxes in the
// window, a script in tests. Texts hold CR LF line breaks.
class Desktop_Prompts {
public:
    virtual ~Desktop_Prompts() = default;

    // An error with an OK button.
    virtual void Error(const std::string& text) = 0;
    // A notice with an OK button.
    virtual void Information(const std::string& text) = 0;
    // A warning with Yes and No; true on Yes.
    virtual bool Warning_Yes_No(const std::string& text) = 0;
};

}  // namespace tessaly
