#!/bin/sh
# Runs a test program on a session bus of its own, which starts none of the
# system's services, so that no desktop's notification server sees the tests'
# calls or answers them. Exits 77 (skipped) without dbus-run-session.
#   on_private_session_bus.sh PROGRAM [ARGUMENT]...
if ! command -v dbus-run-session > /dev/null 2>&1; then
    echo "dbus-run-session is not installed: skipped"
    exit 77
fi
exec dbus-run-session --config-file="$(dirname "$0")/private_session_bus.conf" -- "$@"
