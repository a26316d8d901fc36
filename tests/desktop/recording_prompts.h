#pragma once

#include <string>
#include <vector>

#include "desktop/desktop_prompts.h"

namespace tessaly::test {

// Keeps every message and answers the warnings from a queue (No when it runs
// dry).
class Recording_Prompts final : public Desktop_Prompts {
public:
    struct Shown {
        std::string Kind;
        std::string Text;
    };

    void Error(const std::string& text) override { shown.push_back({"error", text}); }
    void Information(const std::string& text) override { shown.push_back({"information", text}); }
    bool Warning_Yes_No(const std::string& text) override {
        shown.push_back({"warning", text});
        if (answers.empty()) {
            return false;
        }
        const bool yes = answers.front();
        answers.erase(answers.begin());
        return yes;
    }

    std::vector<Shown> shown;
    std::vector<bool> answers;
};

}  // namespace tessaly::test
