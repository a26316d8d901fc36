#!/bin/sh
# Checks the user units with systemd's own verifier, the service pointed at
# the built tessaly-report: the verifier refuses a command that is not there,
# and the installed one is not, before the package is. Where the sync tool is
# built, the service must sync before it notifies; a hang must not keep it
# running for ever.
#   check_units.sh UNIT_FOLDER REPORT_TOOL [SYNC_TOOL]
set -eu
if ! command -v systemd-analyze > /dev/null 2>&1; then
    echo "systemd-analyze is not installed: skipped"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$1/tessaly-notify.timer" "$work/"
sed -e "s|^ExecStart=[^ ]*|ExecStart=$2|" -e "s|^ExecStartPre=-[^ ]*|ExecStartPre=-${3:-}|" \
    "$1/tessaly-notify.service" > "$work/tessaly-notify.service"
grep -qx "ExecStart=$2 --notify" "$work/tessaly-notify.service" || {
    echo "check_units: the service does not run tessaly-report --notify"
    exit 1
}
grep -q "^TimeoutStartSec=" "$work/tessaly-notify.service" || {
    echo "check_units: the service may wait for ever (no TimeoutStartSec=)"
    exit 1
}
if [ -n "${3:-}" ]; then
    grep -qx "ExecStartPre=-$3 --quiet --if-account" "$work/tessaly-notify.service" || {
        echo "check_units: the service does not run tessaly-sync before it notifies"
        exit 1
    }
fi
# The verifier starts a user manager of its own, which needs a runtime folder.
mkdir -m 700 "$work/run"
quiet=$(cd "$(dirname "$0")" && pwd)/check_quiet.sh
cd "$work"
XDG_RUNTIME_DIR=$work/run sh "$quiet" \
    systemd-analyze verify --user --man=no ./tessaly-notify.timer ./tessaly-notify.service
