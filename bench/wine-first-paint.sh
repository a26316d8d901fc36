#!/usr/bin/env bash
# Start to mapped window under Wine, paired: Tessaly.exe from the portable
# zip (a 499-entry Tessaly.dat and an empty Tessaly.ini, so that the main
# window is the first to show) against tessaly_bare_window.exe, a bare Qt
# Widgets program with a 500-row table built with the same Qt and compiler.
# They start alternately, RUNS times each, after a first start of each that
# is not counted (Wine's caches); each is timed from its wine command to the
# MapNotify of its window on the X display, then closed as a window manager
# closes a window. The timer and the list come from a Linux build.
#   bash bench/wine-first-paint.sh [Windows build] [Linux build] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-session.sh

build=${1:-build-windows}
linux_build=${2:-build}
runs=${3:-21}
zip="$build/Tessaly-1.0f-windows-x64.zip"
[[ -f "$zip" && -f "$build/bin/tessaly_bare_window.exe" ]] ||
    fail "run scripts/package-windows.sh first"
timer=$(realpath "$linux_build/bin/tessaly_map_timer")
[[ -x "$timer" && -x "$linux_build/bin/tessaly_bench_write_list" ]] ||
    fail "build tessaly_map_timer and tessaly_bench_write_list in $linux_build first"
start_wine_session
folder="$WINEPREFIX/drive_c/Tessaly Portable"
mkdir -p "$folder"
unzip -q "$zip" -d "$folder"
cp "$build/bin/tessaly_bare_window.exe" "$folder/"
"$linux_build/bin/tessaly_bench_write_list" "$session/list" 499

# One start: its milliseconds on stdout.
start() {
    local result ms rss hwm status
    if [[ "$1" == tessaly ]]; then
        # Each start finds the same files: the close writes both.
        cp "$session/list/Tessaly.dat" "$folder/"
        : > "$folder/Tessaly.ini"
        rm -rf "$folder/backups"
        result=$("$timer" "Tessaly v1.0f" wine 'C:\Tessaly Portable\Tessaly.exe')
    else
        result=$("$timer" "Bare Qt window" wine 'C:\Tessaly Portable\tessaly_bare_window.exe')
    fi
    read -r ms rss hwm status <<< "$result"
    [[ "$status" == 0 ]] || fail "$1 did not close cleanly (status $status)"
    echo "$ms"
}

summary() {
    sort -n | awk '{ v[NR] = $1 }
        function at(p,  i) { i = 1 + (NR - 1) * p; return v[int(i)] + (v[int(i) + (i > int(i))] - v[int(i)]) * (i - int(i)) }
        END { printf "median %.0f (quartiles %.0f-%.0f, min %.0f, max %.0f)", at(0.5), at(0.25), at(0.75), v[1], v[NR] }'
}
median() { summary | awk '{ print $2 }'; }

echo "first starts (not counted): bare $(start bare) ms, Tessaly.exe $(start tessaly) ms"
: > "$session/bare"
: > "$session/tessaly"
for ((i = 0; i < runs; i++)); do
    if ((i % 2 == 0)); then order="bare tessaly"; else order="tessaly bare"; fi
    for program in $order; do
        start "$program" >> "$session/$program"
    done
done
bare_median=$(median < "$session/bare")
tessaly_median=$(median < "$session/tessaly")
echo "start to mapped window under Wine, $runs alternate runs each:"
echo "  bare Qt table (500 rows):  $(summary < "$session/bare") ms"
echo "  Tessaly.exe (499 entries): $(summary < "$session/tessaly") ms"
echo "  ratio of medians:          $(awk -v t="$tessaly_median" -v b="$bare_median" 'BEGIN { printf "%.2f", t / b }')"
