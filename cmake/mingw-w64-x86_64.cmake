# Cross build for 64-bit Windows with Debian's mingw-w64 (the POSIX-threads
# variant, which std::thread and std::mutex need).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_tessaly_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_tessaly_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_tessaly_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_tessaly_mingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_tessaly_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The runtime libraries go into each .exe, so that it starts under Wine or on
# a bare Windows without the compiler's DLLs beside it; a build with Qt
# (windows-qt.cmake) takes the shared runtime that Qt's DLLs use instead.
if(NOT TESSALY_SHARED_RUNTIME)
    set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
endif()

# ctest runs the test programs through Wine.
find_program(TESSALY_WINE NAMES wine64 wine)
if(TESSALY_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TESSALY_WINE})
endif()
