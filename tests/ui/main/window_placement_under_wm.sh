#!/usr/bin/env bash
# The real program under a real window manager (openbox on Xvfb): the stored
# outer frame is where the window appears, starts and closes do not move it,
# a frame no screen shows is fitted onto the screen without being rewritten,
# and a maximised window keeps the place it comes back to.
#   window_placement_under_wm.sh TESSALY_EXECUTABLE
# Exits 77 (skipped) without Xvfb, openbox, xdotool or the X utilities.
set -euo pipefail

executable="$1"
for tool in xvfb-run Xvfb openbox xdotool xwininfo xprop; do
    command -v "$tool" >/dev/null || { echo "no $tool: skipped"; exit 77; }
done

if [[ "${TESSALY_UNDER_XVFB:-}" != 1 ]]; then
    export TESSALY_UNDER_XVFB=1
    exec xvfb-run -a -s '-screen 0 1280x1024x24' bash "$0" "$@"
fi

unset QT_QPA_PLATFORM
work="$(mktemp -d "${TMPDIR:-/tmp}/tessaly-placement.XXXXXX")"
openbox >/dev/null 2>&1 &
wm=$!
trap 'kill "$wm" 2>/dev/null || true; rm -rf "$work"' EXIT
sleep 1
cp "$executable" "$work/tessaly"
failures=0

fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

write_settings() {  # left top width height maximised
    printf '[Tessaly]\r\nwindow_top_posn=%s\r\nwindow_left_posn=%s\r\nwindow_Width=%s\r\nwindow_Height=%s\r\nWindowState_wsMaximized=%s\r\n' \
        "$2" "$1" "$3" "$4" "$5" > "$work/Tessaly.ini"
}

stored() {  # prints "left top width height maximised" from the settings file
    local key
    for key in window_left_posn window_top_posn window_Width window_Height WindowState_wsMaximized; do
        grep -a "^$key=" "$work/Tessaly.ini" | tr -d '\r' | cut -d= -f2
    done | tr '\n' ' ' | sed 's/ $//'
}

# The outer frame of the window: its client area and the frame's extents.
frame_of() {
    local window="$1" x y w h extents l r t b
    x=$(xwininfo -id "$window" | awk '/Absolute upper-left X/ {print $4}')
    y=$(xwininfo -id "$window" | awk '/Absolute upper-left Y/ {print $4}')
    w=$(xwininfo -id "$window" | awk '/Width:/ {print $2}')
    h=$(xwininfo -id "$window" | awk '/Height:/ {print $2}')
    extents=$(xprop -id "$window" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    read -r l r t b <<< "${extents:-0 0 0 0}"
    echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}

# Starts the program, waits until the window has settled, prints its outer
# frame, and closes it through the window manager as a user would.
run_once() {
    local expected="$1" window frame="" last="" tries=0
    "$work/tessaly" >/dev/null 2>&1 &
    local pid=$!
    window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tessaly v1.0f$' | head -1)
    # Settled: the wanted frame, or the same frame twice in a row.
    while ((tries < 40)); do
        frame=$(frame_of "$window")
        [[ "$frame" == "$expected" ]] && break
        [[ "$frame" == "$last" && $tries -gt 20 ]] && break
        last="$frame"
        tries=$((tries + 1))
        sleep 0.1
    done
    echo "$frame"
    xdotool windowactivate --sync "$window" key --clearmodifiers alt+F4
    timeout 20 tail --pid="$pid" -f /dev/null || { kill "$pid"; fail "the window did not close"; }
}

# Ten starts and closes leave the window where it was put.
write_settings 200 200 705 472 0
for run in $(seq 10); do
    frame=$(run_once "200 200 705 472")
    [[ "$frame" == "200 200 705 472" ]] || fail "start $run showed the frame at $frame"
    [[ "$(stored)" == "200 200 705 472 0" ]] || fail "close $run stored $(stored)"
done

# Near the corner the title bar stays on the screen.
write_settings 20 20 705 472 0
frame=$(run_once "20 20 705 472")
[[ "$frame" == "20 20 705 472" ]] || fail "the corner window's frame is at $frame"

# A frame on a monitor that is gone comes onto the screen; its place is kept.
write_settings 3000 200 705 472 0
frame=$(run_once "575 200 705 472")
[[ "$frame" == "575 200 705 472" ]] || fail "the lost window's frame is at $frame"
[[ "$(stored)" == "3000 200 705 472 0" ]] || fail "the lost window stored $(stored)"

# Maximised, it keeps the frame it comes back to.
write_settings 200 200 705 472 1
run_once "none" >/dev/null
[[ "$(stored)" == "200 200 705 472 1" ]] || fail "the maximised window stored $(stored)"

if ((failures > 0)); then
    exit 1
fi
echo "window placement: all cases passed"
