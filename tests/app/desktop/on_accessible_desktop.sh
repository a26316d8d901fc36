#!/usr/bin/env bash
# Runs a command on a desktop of its own, as a screen reader's user has it:
# an X server with a window manager, a session bus and the accessibility bus,
# with Qt's accessibility switched on. The program under test reads
# TESSALY_EXECUTABLE; HOME is a fresh folder.
#   on_accessible_desktop.sh TESSALY_EXECUTABLE COMMAND...
set -euo pipefail

executable="$(realpath "$1")"
shift
work="$(mktemp -d "${TMPDIR:-/tmp}/tessaly-desktop.XXXXXX")"
cleanup() {
    local pids
    pids="$(jobs -p)"
    [[ -n "$pids" ]] && kill $pids 2>/dev/null
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

display=:$((70 + RANDOM % 400))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
export DISPLAY="$display"
for _ in $(seq 100); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done
openbox >"$work/openbox.log" 2>&1 &
sleep 0.5

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0
export LANG=C.UTF-8 LC_ALL=C.UTF-8 TZ=UTC
export TESSALY_EXECUTABLE="$executable" TESSALY_WORK="$work"

dbus-run-session -- bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$TESSALY_WORK/atspi.log" 2>&1 &
    sleep 1
    "$@"
' run "$@"
