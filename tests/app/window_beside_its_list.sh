#!/usr/bin/env bash
# The window run from a folder of its own keeps its list and settings beside
# itself, also where the folder's name is not UTF-8: it must not fall back to
# the home folder's list.
#   window_beside_its_list.sh TESSALY_EXECUTABLE
set -euo pipefail

work="$(mktemp -d "${TMPDIR:-/tmp}/tessaly-folder.XXXXXX")"
pid=
trap '[[ -n "$pid" ]] && kill -KILL "$pid" 2>/dev/null; rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data"
export QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME"

sigterm_caught() {  # whether the process has its handler for SIGTERM (15) in place
    local mask
    mask=$(awk '/^SigCgt:/ {print $2}' "/proc/$1/status" 2>/dev/null) || return 1
    [[ -n "$mask" ]] && (((0x$mask >> 14) & 1))
}

check_folder() {
    local folder="$1"
    mkdir -p "$folder"
    cp "$2" "$folder/tessaly"
    printf 'V1.1\r\n1\r\nAnn\r\n 3.58400000000000E+0004\r\nBirthday\r\n\r\n\r\n\r\n\r\n\r\n' \
        > "$folder/Tessaly.dat"
    "$folder/tessaly" &
    pid=$!
    for _ in $(seq 600); do
        sigterm_caught "$pid" && break
        sleep 0.1
    done
    # Log-out ends the program by a signal: the settings are saved then.
    kill -TERM "$pid"
    wait "$pid"
    pid=
    if [[ ! -f "$folder/Tessaly.ini" ]]; then
        echo "FAILED: no Tessaly.ini beside the program in $(printf '%q' "$folder")" >&2
        find "$work" -name 'Tessaly.*' >&2
        exit 1
    fi
    if [[ -e "$XDG_CONFIG_HOME/tessaly" || -e "$XDG_DATA_HOME/tessaly" ]]; then
        echo "FAILED: the home folder's list was used for $(printf '%q' "$folder")" >&2
        exit 1
    fi
}

check_folder "$work/plain" "$1"
check_folder "$work/$(printf 'Listen \xff\xfe caf\xe9')" "$1"
echo "window_beside_its_list: passed"
