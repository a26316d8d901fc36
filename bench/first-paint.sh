#!/usr/bin/env bash
# Start to mapped window, paired: the real window (a copy of bin/tessaly in
# a portable folder with a 499-entry Tessaly.dat and an empty Tessaly.ini, so
# that neither the start-up report nor a calendar sync comes first) against
# a bare Qt Widgets program showing a 500-row table, built with the same Qt.
# They start alternately, RUNS times each after one untimed start of each;
# each is timed from its start to the MapNotify of its window, its resident
# memory read half a second later, and then it is closed as a window manager
# closes a window. On a private Xvfb when DISPLAY is unset (OPENBOX=1 adds
# openbox).
#   bash bench/first-paint.sh [build folder] [runs] [tessaly executable]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
runs=${2:-21}
tessaly=${3:-$build/bin/tessaly}
timer=$build/bin/tessaly_map_timer
bare=$build/bin/tessaly_bare_table
writer=$build/bin/tessaly_bench_write_list
for program in "$tessaly" "$timer" "$bare" "$writer"; do
    [[ -x "$program" ]] || {
        echo "first-paint: $program is missing; build the targets tessaly tessaly_map_timer" \
            "tessaly_bare_table tessaly_bench_write_list" >&2
        exit 1
    }
done

work="$(mktemp -d "${TMPDIR:-/tmp}/tessaly-first-paint.XXXXXX")"
cleanup() {
    [[ -n "${wm_pid:-}" ]] && kill "$wm_pid" 2>/dev/null
    [[ -n "${xvfb_pid:-}" ]] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
if [[ -z "${DISPLAY:-}" ]]; then
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3> "$work/display" 2>/dev/null &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [[ -s "$work/display" ]] && break
        sleep 0.1
    done
    export DISPLAY=":$(cat "$work/display")"
fi
if [[ "${OPENBOX:-0}" == 1 ]]; then
    openbox > /dev/null 2>&1 &
    wm_pid=$!
    sleep 1
fi
# A home of its own: nothing of the user's settings or desktop comes in.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$work/portable" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
cp "$tessaly" "$work/portable/tessaly"
"$writer" "$work/list" 499
lines=$(wc -l < "$work/list/Tessaly.dat")

# One start: "milliseconds VmRSS VmHWM" on stdout.
start() {
    local result ms rss hwm status
    if [[ "$1" == tessaly ]]; then
        # Each start finds the same files: the close writes both.
        cp "$work/list/Tessaly.dat" "$work/portable/"
        : > "$work/portable/Tessaly.ini"
        rm -rf "$work/portable/backups"
        result=$("$timer" "Tessaly v1.0f" "$work/portable/tessaly")
    else
        result=$("$timer" "Bare Qt window" "$bare")
    fi
    read -r ms rss hwm status <<< "$result"
    if [[ "$status" != 0 ]]; then
        echo "first-paint: $1 did not close cleanly (status $status)" >&2
        exit 1
    fi
    if [[ "$1" == tessaly ]] && { [[ ! -s "$work/portable/Tessaly.ini" ]] ||
        (($(wc -l < "$work/portable/Tessaly.dat") != lines)); }; then
        echo "first-paint: the window did not save its 499 entries and settings at close" >&2
        exit 1
    fi
    echo "$ms $rss $hwm"
}

# Median, quartiles and range of the numbers on stdin.
summary() {
    sort -n | awk '{ v[NR] = $1 }
        function at(p,  i) { i = 1 + (NR - 1) * p; return v[int(i)] + (v[int(i) + (i > int(i))] - v[int(i)]) * (i - int(i)) }
        END { printf "median %.1f (quartiles %.1f-%.1f, min %.1f, max %.1f)", at(0.5), at(0.25), at(0.75), v[1], v[NR] }'
}
median() { summary | awk '{ print $2 }'; }

start bare > /dev/null
start tessaly > /dev/null
: > "$work/bare"
: > "$work/tessaly"
for ((i = 0; i < runs; i++)); do
    # Alternate which goes first, so that neither always follows the other.
    if ((i % 2 == 0)); then order="bare tessaly"; else order="tessaly bare"; fi
    for program in $order; do
        start "$program" >> "$work/$program"
    done
done

bare_median=$(cut -d' ' -f1 "$work/bare" | median)
tessaly_median=$(cut -d' ' -f1 "$work/tessaly" | median)
echo "start to mapped window, $runs alternate runs each, ${DISPLAY} $([[ -n "${wm_pid:-}" ]] && echo "with openbox" || echo "without a window manager"):"
echo "  bare Qt table (500 rows):  $(cut -d' ' -f1 "$work/bare" | summary) ms"
echo "  tessaly (499 entries):     $(cut -d' ' -f1 "$work/tessaly" | summary) ms"
echo "  ratio of medians:          $(awk -v t="$tessaly_median" -v b="$bare_median" 'BEGIN { printf "%.2f", t / b }')"
echo "resident memory half a second after the window showed, median:"
echo "  bare Qt table: VmRSS $(cut -d' ' -f2 "$work/bare" | median) kB, VmHWM $(cut -d' ' -f3 "$work/bare" | median) kB"
echo "  tessaly:       VmRSS $(cut -d' ' -f2 "$work/tessaly" | median) kB, VmHWM $(cut -d' ' -f3 "$work/tessaly" | median) kB"
