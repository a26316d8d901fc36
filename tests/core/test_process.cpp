// The process made undumpable, in a child of its own so that the test
// program stays as it was.
#include "core/platform/process.h"

#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

// The wait status of a child that runs `body` and exits with what it returns.
int Status_Of_Child(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

TEST(Process, ProtectedProcessDumpsNoCoreAndStillKnowsItsOwnExecutable) {
    struct Case {
        const char* name;
        void (*protect)();
        int dumpable_after;  // what PR_GET_DUMPABLE says
    };
    // The window stays dumpable: the desktop's portals read its /proc entries.
    const Case cases[] = {
        {"Keep_Out_Of_Core_Dumps", Keep_Out_Of_Core_Dumps, 1},
        {"Make_Process_Undumpable", Make_Process_Undumpable, 0},
    };
    const std::filesystem::path executable = Executable_Path(nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int status = Status_Of_Child([&] {
            if (::prctl(PR_GET_DUMPABLE) != 1) {
                return 1;  // the test would prove nothing
            }
            c.protect();
            if (::prctl(PR_GET_DUMPABLE) != c.dumpable_after) {
                return 2;
            }
            // Its own /proc entries stay open to it: the tool finds its
            // files beside itself through /proc/self/exe.
            return Executable_Path(nullptr) == executable ? 0 : 3;
        });
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);

        // A crash where a core would go, and as large as it likes.
        const test::Temp_Dir dir;
        const int crash = Status_Of_Child([&] {
            const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
            if (::chdir(dir.Path().c_str()) != 0 || ::setrlimit(RLIMIT_CORE, &unlimited) != 0) {
                return 1;
            }
            c.protect();
            std::abort();
        });
        ASSERT_TRUE(WIFSIGNALED(crash)) << crash;
        EXPECT_EQ(WTERMSIG(crash), SIGABRT);
        EXPECT_FALSE(WCOREDUMP(crash));
        EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
    }
}

}  // namespace
}  // namespace tessaly
