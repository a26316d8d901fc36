#!/usr/bin/env bash
# A phone and Tessaly on one calendar, with real clients: vdirsyncer keeps a
# folder of event files in step with Radicale and khal reads it, as a phone's
# calendar app would. Alarms, a category and a private class added on the
# phone survive an edit made in Tessaly; the phone deleting every event is
# no reason for the list to lose them.
#   phone_scenario.sh TESSALY_SYNC_EXECUTABLE SOURCE_FOLDER
set -euo pipefail
sync_tool="$1"
source_folder="$2"
for program in radicale vdirsyncer khal; do
    if ! command -v "$program" > /dev/null; then
        echo "phone_scenario: skipped: $program is not installed"
        exit 0
    fi
done

work="$(mktemp -d "${TMPDIR:-/tmp}/tessaly-phone.XXXXXX")"
source "$source_folder/scripts/caldav-test-server.sh"
trap 'stop_caldav_test_server; rm -rf "$work"' EXIT
wait_for_caldav_test_server
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data"
mkdir -p "$HOME" "$work/tessaly" "$work/phone"

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

# Tessaly from a folder of its own keeps its list and settings beside it.
cp "$sync_tool" "$work/tessaly/tessaly-sync"
tessaly() { "$work/tessaly/tessaly-sync" "$@"; }
list="$work/tessaly/Tessaly.dat"
printf 'V1.1\r\n2\r\n' > "$list"
printf 'Ann Lee\r\n 2.93550000000000E+0004\r\nBirthday\r\nfirst words\r\n\r\n\r\n\r\n\r\n' >> "$list"
printf 'Bo Berg\r\n 2.93560000000000E+0004\r\nBirthday\r\n\r\n\r\n\r\n\r\n\r\n' >> "$list"
tessaly --set-account --server "$TESSALY_TEST_CALDAV_URL" --user ann \
    --password-command 'echo s3cret' --quiet
tessaly --quiet

cat > "$work/vdirsyncer.conf" <<CONF
[general]
status_path = "$work/status/"
[pair phone]
a = "phone_local"
b = "phone_remote"
collections = ["from b"]
[storage phone_local]
type = "filesystem"
path = "$work/phone/"
fileext = ".ics"
[storage phone_remote]
type = "caldav"
url = "$TESSALY_TEST_CALDAV_URL"
username = "ann"
password = "s3cret"
CONF
cat > "$work/khal.conf" <<CONF
[calendars]
[[tessaly]]
path = $work/phone/tessaly
type = calendar
[locale]
timeformat = %H:%M
dateformat = %Y-%m-%d
longdateformat = %Y-%m-%d
datetimeformat = %Y-%m-%d %H:%M
longdatetimeformat = %Y-%m-%d %H:%M
CONF
phone_sync() { vdirsyncer -c "$work/vdirsyncer.conf" "$@" > "$work/vdirsyncer.log" 2>&1 || {
    cat "$work/vdirsyncer.log" >&2
    fail "vdirsyncer $*"
}; }
{ yes || true; } | phone_sync discover
phone_sync sync
ann_file="$(grep -l 'SUMMARY:Ann Lee' "$work"/phone/tessaly/*.ics)" || fail "Ann's event never reached the phone"

# On the phone: two alarms, a category, a private class and a note of its own.
python3 - "$ann_file" <<'PY'
import sys
path = sys.argv[1]
text = open(path, newline="").read()
extra = ("CATEGORIES:Family\r\nCLASS:PRIVATE\r\nX-PHONE-NOTE:keep me\r\n"
         "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Ann\r\nTRIGGER:-P1D\r\nEND:VALARM\r\n"
         "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Ann today\r\nTRIGGER:PT9H\r\nEND:VALARM\r\n")
text = text.replace("END:VEVENT", extra + "END:VEVENT", 1)
open(path, "w", newline="").write(text)
PY
phone_sync sync
khal -c "$work/khal.conf" list 2026-05-01 400d > "$work/khal.txt" 2>&1 || { cat "$work/khal.txt" >&2; fail "khal list"; }
grep -q "Ann Lee" "$work/khal.txt" || { cat "$work/khal.txt" >&2; fail "khal does not show Ann"; }

# The phone's alarm a day before becomes Ann's lead in Tessaly.
tessaly --quiet
grep -q 'lead=1' "$list" || fail "the phone's alarm did not become Ann's lead"

# In Tessaly: Ann's comment is edited.
sed -i 's/^first words\r$/edited in Tessaly\r/' "$list"
grep -q 'edited in Tessaly' "$list" || fail "the list was not edited"
tessaly --quiet
phone_sync sync
for kept in 'TRIGGER:-P1D' 'TRIGGER:PT9H' 'CATEGORIES:Family' 'CLASS:PRIVATE' \
    'X-PHONE-NOTE:keep me' 'DESCRIPTION:edited in Tessaly'; do
    grep -q "$kept" "$ann_file" || { cat "$ann_file" >&2; fail "$kept lost after an edit in Tessaly"; }
done
# The phone's alarm rings at the lead already: none of Tessaly's beside it.
! grep -q 'X-TESSALY-ALARM' "$ann_file" || { cat "$ann_file" >&2; fail "an alarm rings twice"; }

# The phone deletes every event: Tessaly stops and keeps the list.
rm -f "$work"/phone/tessaly/*.ics
phone_sync sync --force-delete phone/tessaly
status=0
tessaly --quiet 2> "$work/stopped.txt" || status=$?
[[ $status == 8 ]] || { cat "$work/stopped.txt" >&2; fail "status $status instead of 8"; }
grep -q 'remove 2 of the list' "$work/stopped.txt" || fail "the stop does not say what"
grep -q 'Ann Lee' "$list" || fail "the list lost Ann"
tessaly --keep-everything --quiet
phone_sync sync
ls "$work"/phone/tessaly/*.ics > /dev/null 2>&1 || fail "the list was not sent back"
[[ $(ls "$work"/phone/tessaly/*.ics | wc -l) == 2 ]] || fail "not both events back on the phone"
echo "phone_scenario: passed"
