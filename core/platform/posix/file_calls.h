#pragma once

#include <sys/types.h>

namespace tessaly::detail {

// The system calls that saving makes, one pointer each, so that tests can make
// any one of them fail and check that the user's file survives. The program
// never changes them.
struct File_Calls {
    int (*Make_Temporary)(char* name_template, int flags);
    int (*Change_Mode)(int fd, mode_t mode);
    ssize_t (*Write)(int fd, const void* bytes, size_t count);
    int (*Sync)(int fd);
    int (*Close)(int fd);
    int (*Link)(const char* existing, const char* new_name);
    int (*Rename)(const char* from, const char* to);
    int (*Unlink)(const char* name);
};

File_Calls& Save_File_Calls();

// The calls of the operating system itself.
File_Calls System_File_Calls();

}  // namespace tessaly::detail
