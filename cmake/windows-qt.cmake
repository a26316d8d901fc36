# Cross build of the whole program for 64-bit Windows: the project's mingw-w64
# toolchain with the shared Qt for mingw-w64, which lives as a tarball beside
# the repository (../shared/qt-mingw) and is unpacked once into a cache folder
# outside the source tree.
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/windows-qt.cmake
# TESSALY_QT_TARBALL and TESSALY_QT_CACHE (environment or -D) name other places.
set(_tessaly_qt_name qt6-mingw-6.4.2)
if(NOT TESSALY_QT_TARBALL)
    if(DEFINED ENV{TESSALY_QT_TARBALL})
        set(TESSALY_QT_TARBALL "$ENV{TESSALY_QT_TARBALL}")
    else()
        get_filename_component(TESSALY_QT_TARBALL
                               "${CMAKE_CURRENT_LIST_DIR}/../../shared/qt-mingw/${_tessaly_qt_name}.tar.xz"
                               ABSOLUTE)
    endif()
endif()
if(NOT TESSALY_QT_CACHE)
    if(DEFINED ENV{TESSALY_QT_CACHE})
        set(TESSALY_QT_CACHE "$ENV{TESSALY_QT_CACHE}")
    elseif(DEFINED ENV{XDG_CACHE_HOME} AND IS_ABSOLUTE "$ENV{XDG_CACHE_HOME}")
        set(TESSALY_QT_CACHE "$ENV{XDG_CACHE_HOME}/tessaly/${_tessaly_qt_name}")
    else()
        set(TESSALY_QT_CACHE "$ENV{HOME}/.cache/tessaly/${_tessaly_qt_name}")
    endif()
endif()
# try_compile projects read the toolchain again: they get the same places.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TESSALY_QT_TARBALL TESSALY_QT_CACHE)

set(_tessaly_qt_prefix "${TESSALY_QT_CACHE}/qt6-mingw")
set(_tessaly_qt_stamp "${TESSALY_QT_CACHE}/unpacked-from")
if(NOT EXISTS "${_tessaly_qt_stamp}" OR "${TESSALY_QT_TARBALL}" IS_NEWER_THAN "${_tessaly_qt_stamp}")
    if(NOT EXISTS "${TESSALY_QT_TARBALL}")
        message(FATAL_ERROR
            "The Windows build needs Qt for mingw-w64: the file ${_tessaly_qt_name}.tar.xz, "
            "expected at ${TESSALY_QT_TARBALL} (set TESSALY_QT_TARBALL to its path).")
    endif()
    message(STATUS "Tessaly: unpacking ${TESSALY_QT_TARBALL} into ${TESSALY_QT_CACHE}")
    file(REMOVE_RECURSE "${TESSALY_QT_CACHE}")
    file(MAKE_DIRECTORY "${TESSALY_QT_CACHE}")
    file(ARCHIVE_EXTRACT INPUT "${TESSALY_QT_TARBALL}" DESTINATION "${TESSALY_QT_CACHE}")
    if(NOT EXISTS "${_tessaly_qt_prefix}/lib/cmake/Qt6/qt.toolchain.cmake")
        message(FATAL_ERROR "${TESSALY_QT_TARBALL} holds no qt6-mingw/lib/cmake/Qt6")
    endif()
    file(WRITE "${_tessaly_qt_stamp}" "${TESSALY_QT_TARBALL}\n")
endif()

# Qt's DLLs use the compiler's shared C++ runtime: so do the programs that
# link them, for one runtime per process.
set(TESSALY_SHARED_RUNTIME ON)
set(TESSALY_QT_PREFIX "${_tessaly_qt_prefix}")
set(QT_CHAINLOAD_TOOLCHAIN_FILE "${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake")
# Qt's host tools (moc, rcc, uic) are the build machine's own.
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
include("${_tessaly_qt_prefix}/lib/cmake/Qt6/qt.toolchain.cmake")
