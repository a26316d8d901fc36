#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace tessaly::test {

// Sets or clears an environment variable until the object goes.
class Scoped_Environment {
public:
    Scoped_Environment(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        Apply(value);
    }
    ~Scoped_Environment() { Apply(old_); }
    Scoped_Environment(const Scoped_Environment&) = delete;
    Scoped_Environment& operator=(const Scoped_Environment&) = delete;

private:
    void Apply(const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name_.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(name_.c_str());
        }
    }

    std::string name_;
    std::optional<std::string> old_;
};

}  // namespace tessaly::test
