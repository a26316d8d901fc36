#!/usr/bin/env bash
# The whole program cross-built for 64-bit Windows with mingw-w64 and the
# shared Qt for mingw-w64: Tessaly.exe, tessaly-report.exe and every test
# program, with the DLLs and plugins they load beside them in bin/.
#   bash scripts/build-windows.sh [build folder]
# Needs the Qt tarball ../shared/qt-mingw/qt6-mingw-6.4.2.tar.xz (or
# TESSALY_QT_TARBALL), unpacked once into ~/.cache/tessaly, and the packages
# g++-mingw-w64-x86-64-posix imagemagick qt6-base-dev-tools.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-windows}
tarball=${TESSALY_QT_TARBALL:-../shared/qt-mingw/qt6-mingw-6.4.2.tar.xz}
if [[ ! -f "$tarball" ]]; then
    echo "build-windows: the Windows build needs Qt for mingw-w64: the file" \
        "qt6-mingw-6.4.2.tar.xz, expected at $tarball (set TESSALY_QT_TARBALL)" >&2
    exit 1
fi
TESSALY_QT_TARBALL="$(realpath "$tarball")"
export TESSALY_QT_TARBALL

# -O1: it builds faster than -O2, and the window spends its time waiting for
# the user.
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/windows-qt.cmake \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG" -DTESSALY_BUILD_BENCH=OFF
cmake --build "$build" -j2
