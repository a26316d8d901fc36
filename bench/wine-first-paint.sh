#!/usr/bin/env bash
# Start to first paint under Wine, one paired run: Tessaly.exe from the
# portable zip (an empty list, so the main window is the first to show)
# against a bare Qt widget window built with the same Qt. Each is timed from
# the start of its wine command to its window becoming visible on the X
# display, after a first start of each that is not counted (Wine's caches).
#   bash bench/wine-first-paint.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-session.sh

build=${1:-build-windows}
zip="$build/Tessaly-1.0f-windows-x64.zip"
[[ -f "$zip" && -f "$build/bin/tessaly_bare_window.exe" ]] ||
    fail "run scripts/package-windows.sh first"
start_wine_session
folder="$WINEPREFIX/drive_c/Tessaly Portable"
mkdir -p "$folder"
unzip -q "$zip" -d "$folder"
cp "$build/bin/tessaly_bare_window.exe" "$folder/"

# Milliseconds from the start until a window of that title is visible.
first_paint() {
    local started ended
    started=$(date +%s%N)
    wine "$1" > /dev/null 2>&1 &
    local pid=$!
    until xdotool search --onlyvisible --name "$2" > /dev/null 2>&1; do
        sleep 0.02
    done
    ended=$(date +%s%N)
    # Closed as Windows closes a window (a killed Wine process holds up the
    # next start by seconds).
    wine taskkill /im "${1##*\\}" > /dev/null 2>&1
    wait "$pid" 2>/dev/null || true
    rm -f "$folder/Tessaly.dat" "$folder/Tessaly.ini"
    echo $(((ended - started) / 1000000))
}
tessaly='C:\Tessaly Portable\Tessaly.exe'
bare='C:\Tessaly Portable\tessaly_bare_window.exe'
echo "first starts (not counted): bare $(first_paint "$bare" "^Bare Qt window$") ms,"
echo "  Tessaly.exe $(first_paint "$tessaly" "^Tessaly v1.0f$") ms"
bare_ms=$(first_paint "$bare" '^Bare Qt window$')
tessaly_ms=$(first_paint "$tessaly" '^Tessaly v1.0f$')
echo "first paint under Wine: bare Qt window ${bare_ms} ms, Tessaly.exe ${tessaly_ms} ms"
