#pragma once

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "test_support/scoped_environment.h"
#include "test_support/temp_dir.h"

namespace tessaly::test {

// A folder of stand-in programs that is the whole PATH while it lives. Each
// program writes its name and first argument to "<name>.out" in the folder
// once "go" exists there, or "timeout" after five seconds without it: a
// caller that waited for the program would see the timeout.
class Path_Programs {
public:
    Path_Programs() : path_("PATH", folder_.Path().string()) {}

    void Add(const std::string& name) {
        const std::filesystem::path program = folder_.File(name);
        const std::string dir = folder_.Path().string();
        Write_Bytes(program,
                    "#!/bin/sh\nPATH=/usr/bin:/bin\ni=0\n"
                    "while [ ! -e '" +
                        dir +
                        "/go' ] && [ $i -lt 500 ]; do sleep 0.01; i=$((i+1)); done\n"
                        "if [ -e '" +
                        dir + "/go' ]; then printf '%s %s' '" + name + "' \"$1\" > '" + dir + "/" +
                        name + ".tmp'; else printf timeout > '" + dir + "/" + name +
                        ".tmp'; fi\n"
                        "mv '" +
                        dir + "/" + name + ".tmp' '" + dir + "/" + name + ".out'\n");
        ::chmod(program.c_str(), 0755);
    }

    // Lets the programs go on and returns what the named one wrote, or
    // empty when it never ran.
    std::string Output_Of(const std::string& name) {
        Write_Bytes(folder_.File("go"), "");
        const std::filesystem::path out = folder_.File(name + ".out");
        for (int i = 0; i < 1000 && !std::filesystem::exists(out); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return std::filesystem::exists(out) ? Read_Bytes(out) : std::string();
    }

private:
    Temp_Dir folder_;
    Scoped_Environment path_;
};

}  // namespace tessaly::test
