# Sourced: starts what test_caldav_named_server talks to, for builds
# whose tests cannot start a server themselves (the Windows build under
# Wine), and exports where it is:
#   TESSALY_TEST_CALDAV_URL, _USER, _PASSWORD  Radicale on a free loopback
#       port, with its storage in a temporary folder and one htpasswd user
#   TESSALY_TEST_CALDAV_UNUSED_URL  a loopback port nothing listens on
#   TESSALY_TEST_CALDAV_SILENT_URL  a port that takes connections and never
#       answers
# Without radicale (apt-get install radicale) the tests report themselves
# skipped. stop_caldav_test_server ends it all.
caldav_folder="$(mktemp -d "${TMPDIR:-/tmp}/tessaly-caldav.XXXXXX")"
caldav_pids=()

stop_caldav_test_server() {
    local pid
    for pid in "${caldav_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${caldav_pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    caldav_pids=()
    rm -rf "$caldav_folder"
}

# A loopback port the system picked, free when this returns.
free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# The silent port: listening, with nothing that ever reads.
python3 -c 'import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(16)
print(s.getsockname()[1], flush=True); sys.stdout.close(); time.sleep(86400)' \
    > "$caldav_folder/silent-port" &
caldav_pids+=($!)
export TESSALY_TEST_CALDAV_UNUSED_URL="http://127.0.0.1:$(free_port)/"

if command -v radicale > /dev/null; then
    caldav_port=$(free_port)
    printf 'ann:s3cret\n' > "$caldav_folder/users"
    cat > "$caldav_folder/config" <<CONFIG
[server]
hosts = 127.0.0.1:$caldav_port
[auth]
type = htpasswd
htpasswd_filename = $caldav_folder/users
htpasswd_encryption = plain
delay = 0
[storage]
filesystem_folder = $caldav_folder/collections
[rights]
type = owner_only
[web]
type = none
[logging]
level = warning
CONFIG
    radicale --config "$caldav_folder/config" > "$caldav_folder/log" 2>&1 &
    caldav_pids+=($!)
    export TESSALY_TEST_CALDAV_URL="http://127.0.0.1:$caldav_port/"
    export TESSALY_TEST_CALDAV_USER=ann TESSALY_TEST_CALDAV_PASSWORD=s3cret
fi

# Both take connections within seconds; waited for after whatever the
# caller does meanwhile.
wait_for_caldav_test_server() {
    local tries
    for ((tries = 0; tries < 300; ++tries)); do
        if [[ -s "$caldav_folder/silent-port" ]] &&
            { [[ -z "${caldav_port:-}" ]] || (: < "/dev/tcp/127.0.0.1/$caldav_port") 2> /dev/null; }; then
            export TESSALY_TEST_CALDAV_SILENT_URL="http://127.0.0.1:$(cat "$caldav_folder/silent-port")/"
            return 0
        fi
        sleep 0.1
    done
    echo "caldav-test-server: Radicale took no connections within 30 s:" >&2
    cat "$caldav_folder/log" >&2
    return 1
}
