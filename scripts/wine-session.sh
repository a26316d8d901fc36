# Shared by the scripts that drive Tessaly's real window under Wine: a fresh
# Wine prefix and home on a private Xvfb display with openbox, and the
# xdotool steps they use. Sourced, not run.

step() { echo "=== $* (at ${SECONDS} s)"; }
pass() { echo "ok: $*"; }
fail() {
    echo "FAILED: $*" >&2
    if [[ -n "${session:-}" && -n "${DISPLAY:-}" ]]; then
        import -window root "$session/failure.png" 2>/dev/null &&
            cp "$session/failure.png" "${TMPDIR:-/tmp}/tessaly-wine-failure.png" &&
            echo "the screen at the failure: ${TMPDIR:-/tmp}/tessaly-wine-failure.png" >&2
    fi
    exit 1
}

stop_wine_session() {
    wineserver -k 2>/dev/null || true
    [[ -n "${wm_pid:-}" ]] && kill "$wm_pid" 2>/dev/null
    [[ -n "${xvfb_pid:-}" ]] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null || true
    [[ -n "${session:-}" ]] && rm -rf "$session"
}

start_wine_session() {
    session="$(mktemp -d "${TMPDIR:-/tmp}/tessaly-window.XXXXXX")"
    trap stop_wine_session EXIT
    # A home of its own: Wine links the prefix's Desktop to the home's.
    export HOME="$session/home" WINEPREFIX="$session/prefix"
    mkdir -p "$HOME" "$WINEPREFIX"
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" LC_ALL=C.UTF-8
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$session/display" 2>/dev/null &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [[ -s "$session/display" ]] && break
        sleep 0.1
    done
    export DISPLAY=":$(cat "$session/display")"
    openbox > /dev/null 2>&1 &
    wm_pid=$!
    wineserver -p
    wineboot -i > /dev/null 2>&1
    source scripts/wine-fonts.sh
}

# Windows runs the Task Scheduler from boot; Wine starts it on demand. Right
# after the prefix's first boot its service manager refuses (database locked,
# request timed out) until the server has started once more.
start_task_scheduler() {
    local said
    wineserver -k || true
    wineserver -w
    wineserver -p > /dev/null 2>&1
    # Into a file: the services this starts would hold a pipe open.
    for _ in $(seq 30); do
        wine net start Schedule > "$session/schedule.txt" 2>&1 || true
        grep -qE 'started successfully|already been started' "$session/schedule.txt" && return 0
        sleep 1
    done
    fail "Wine's Task Scheduler did not start: $(tr -d '\r' < "$session/schedule.txt")"
}

# The id of the first window whose title matches, waiting up to a minute.
wait_window() {
    local id
    for _ in $(seq 120); do
        if id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) && [[ -n "$id" ]]; then
            echo "$id"
            return 0
        fi
        sleep 0.5
    done
    fail "no window titled $1"
}

wait_gone() {
    for _ in $(seq 60); do
        xdotool getwindowname "$1" > /dev/null 2>&1 || return 0
        xwininfo -id "$1" 2>/dev/null | grep -q "IsViewable" || return 0
        sleep 0.5
    done
    fail "window $1 stayed"
}

activate() {
    xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"
    sleep 0.5
}

# The window with its frame, into the screenshot folder when one is named.
screenshot() {
    [[ -n "${shots:-}" ]] || return 0
    mkdir -p "$shots"
    import -window "$1" -frame "$shots/$2.png" 2>/dev/null || import -window "$1" "$shots/$2.png"
    echo "screenshot: $shots/$2.png"
}

start_tessaly() {
    wine "$@" > "$session/tessaly.log" 2>&1 &
    tessaly_pid=$!
}

wait_tessaly_exit() {
    for _ in $(seq 120); do
        kill -0 "$tessaly_pid" 2>/dev/null || {
            wait "$tessaly_pid" || fail "Tessaly.exe ended with $?"
            return 0
        }
        sleep 0.5
    done
    fail "Tessaly.exe did not end"
}

finish_wine_session() {
    echo "=== all passed in ${SECONDS} s"
}
