#!/usr/bin/env bash
# Runs test programs in a home that a user has lived in: a QtProject.conf that
# Qt's file dialog left (a wide sidebar, wide columns, a history) in a
# ~/.config that may not be written. The programs must pass and leave the
# home as it was: every file's bytes and every entry's time.
#   keeps_out_of_home.sh PROGRAM...
#   keeps_out_of_home.sh --command COMMAND [ARGUMENT]...
set -euo pipefail
work=$(mktemp -d "${TMPDIR:-/tmp}/tessaly-user-home.XXXXXX")
trap 'chmod -R u+rwx "$work"; rm -rf "$work"' EXIT
home="$work/home"
mkdir -p "$home/.config" "$home/.cache" "$home/.local/share"
cat > "$home/.config/QtProject.conf" <<'CONF'
[FileDialog]
history=file:///nowhere/a, file:///nowhere/b
lastVisited=file:///nowhere/b
qtVersion=6.4.2
shortcuts=file:, file:///nowhere
sidebarWidth=600
treeViewHeader=@ByteArray(\0\0\0\xff\0\0\0\0\0\0\0\x1\0\0\0\0\0\0\0\0\x1\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x2\x64\0\0\0\x4\x1\x1\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x64\xff\xff\xff\xff\0\0\0\x81\0\0\0\0\0\0\0\x4\0\0\x3G\0\0\0\x1\0\0\0\0\0\0\x1?\0\0\0\x1\0\0\0\0\0\0\x1@\0\0\0\x1\0\0\0\0\0\0\x1\x9e\0\0\0\x1\0\0\0\0\0\0\x3\xe8\0\xff\xff\xff\xff\0\0\0\0)
viewMode=List
CONF
chmod 500 "$home/.config"
# Back-dated, so that a write in the same second still shows.
find "$home" -exec touch -h -d '2001-02-03 04:05:06' {} +

state() {
    (cd "$home" && find . -printf '%p %y %m %T@ %s\n' | sort &&
        find . -type f -exec sha256sum {} + | sort)
}
before=$(state)
status=0
in_lived_in_home() {
    env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_CACHE_HOME -u XDG_STATE_HOME \
        HOME="$home" "$@"
}
if [[ "${1:-}" == --command ]]; then
    shift
    in_lived_in_home "$@" || status=1
else
    for program in "$@"; do
        echo "--- $program"
        in_lived_in_home "$program" || status=1
    done
fi
after=$(state)
if [[ "$before" != "$after" ]]; then
    echo "FAILED: the tests changed the user's home:" >&2
    diff <(echo "$before") <(echo "$after") >&2 || true
    exit 1
fi
exit "$status"
