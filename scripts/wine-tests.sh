#!/usr/bin/env bash
# Cross-builds the parts of Tessaly that need no Qt (core, report builder,
# terminal tool, the Win32 desktop backend) with mingw-w64 and runs their tests
# and the terminal tool under Wine, in a fresh Wine prefix.
# Needs: g++-mingw-w64-x86-64-posix wine64 (scripts/install-deps.sh installs
# them when named).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-mingw}
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DTESSALY_BUILD_GUI=OFF -DTESSALY_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
cmake --build "$build"

WINEPREFIX="$(mktemp -d "${TMPDIR:-/tmp}/tessaly-wine.XXXXXX")"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
# One server for the whole run, kept alive between programs: a server that
# exits while the next test program connects drops that program.
wineserver -p
wineboot -i > /dev/null 2>&1

ctest --test-dir "$build" --output-on-failure -j2

echo "=== tessaly-report.exe on a data file"
data="$WINEPREFIX/drive_c/Tessaly Data"
mkdir -p "$data"
printf 'V1.1\r\n2\r\nAnn\r\n 3.58400000000000E+0004\r\nBirthday\r\n\r\n\r\n\r\n\r\n\r\nBob\r\n 1.00000000000000E+0001\r\nWedding\r\n\r\n\r\n\r\n\r\n\r\n' \
    > "$data/Tessaly.dat"
report="$(wine "$build/bin/tessaly-report.exe" --file 'C:\Tessaly Data\Tessaly.dat' \
    --date 2027-02-10 --days 14 --date-format %d/%m/%Y | tr -d '\r')"
echo "$report"
expected="    1.  Ann's 29th Birthday in 4 days (Sun, 14/02/2027)"
if ! grep -qxF "$expected" <<< "$report" || ! grep -qxF " 1 events found and reported." <<< "$report"; then
    echo "wine-tests: the report is not the expected one" >&2
    exit 1
fi
