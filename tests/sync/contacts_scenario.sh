#!/usr/bin/env bash
# A phone's contacts and Tessaly on one server, with real clients: vdirsyncer
# keeps a folder of vCards (3.0 and 4.0, as phones write them) in step with a
# Radicale address book; tessaly-sync takes their birthdays and anniversaries
# into the list, and tessaly-report shows them with their ages. A contact
# renamed, deleted, or whose birthday is removed on the phone changes the
# list at the next sync and keeps what was set in Tessaly; an emptied book
# waits for the user's word.
#   contacts_scenario.sh TESSALY_SYNC TESSALY_REPORT SOURCE_FOLDER
set -euo pipefail
sync_tool="$1"
report_tool="$2"
source_folder="$3"
for program in radicale vdirsyncer; do
    if ! command -v "$program" > /dev/null; then
        echo "contacts_scenario: skipped: $program is not installed"
        exit 0
    fi
done

work="$(mktemp -d "${TMPDIR:-/tmp}/tessaly-contacts.XXXXXX")"
source "$source_folder/scripts/caldav-test-server.sh"
trap 'stop_caldav_test_server; rm -rf "$work"' EXIT
wait_for_caldav_test_server
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data"
mkdir -p "$HOME" "$work/tessaly" "$work/phone"

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

# The phone's address book, named as the user sees it.
book="${TESSALY_TEST_CALDAV_URL}ann/phone-contacts/"
python3 - "$book" <<'PY' || fail "the address book could not be made"
import base64, sys, urllib.request
body = ('<?xml version="1.0"?><d:mkcol xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:carddav">'
        '<d:set><d:prop><d:resourcetype><d:collection/><c:addressbook/></d:resourcetype>'
        '<d:displayname>Phone</d:displayname></d:prop></d:set></d:mkcol>').encode()
request = urllib.request.Request(sys.argv[1], data=body, method="MKCOL")
request.add_header("Authorization", "Basic " + base64.b64encode(b"ann:s3cret").decode())
urllib.request.urlopen(request)
PY

cp "$sync_tool" "$work/tessaly/tessaly-sync"
cp "$report_tool" "$work/tessaly/tessaly-report"
tessaly() { "$work/tessaly/tessaly-sync" "$@"; }
report() { "$work/tessaly/tessaly-report" --date 2027-02-20 --days 100 --date-format %d/%m/%Y; }
list="$work/tessaly/Tessaly.dat"
printf 'V1.1\r\n1\r\nOwn Entry\r\n 2.93550000000000E+0004\r\nBirthday\r\n\r\n\r\n\r\n\r\n\r\n' > "$list"
tessaly --set-account --server "$TESSALY_TEST_CALDAV_URL" --user ann \
    --password-command 'echo s3cret' --address-book Phone --quiet
tessaly --list-address-books | grep -qxF "* \"Phone\" $book" || fail "the book is not chosen by its name"

cat > "$work/vdirsyncer.conf" <<CONF
[general]
status_path = "$work/status/"
[pair contacts]
a = "contacts_local"
b = "contacts_remote"
collections = null
[storage contacts_local]
type = "filesystem"
path = "$work/phone/"
fileext = ".vcf"
[storage contacts_remote]
type = "carddav"
url = "$book"
username = "ann"
password = "s3cret"
CONF
phone_sync() { vdirsyncer -c "$work/vdirsyncer.conf" "$@" > "$work/vdirsyncer.log" 2>&1 || {
    cat "$work/vdirsyncer.log" >&2
    fail "vdirsyncer $*"
}; }
# card NAME LINES...: the file is named after the contact's UID.
write_card() {
    local uid=$1
    shift
    printf '%s\r\n' BEGIN:VCARD "$@" "UID:$uid" END:VCARD > "$work/phone/$uid.vcf"
}
write_card bob VERSION:3.0 'FN:Bob Lee' 'N:Lee;Bob;;;' BDAY:1980-03-01 'TEL;TYPE=cell:+44 20 7946 0001'
write_card zoe VERSION:4.0 $'FN:Zo\xc3\xab Berg' BDAY:--0415 ANNIVERSARY:20100612
write_card cy VERSION:3.0 'FN:Cy Park' BDAY:19900420
{ yes || true; } | phone_sync discover
phone_sync sync

said=$(tessaly) || fail "the first sync: $said"
grep -q 'Address books: 4 added, 0 changed, 0 removed' <<< "$said" || fail "the first sync said: $said"
shown=$(report)
for line in "Bob Lee's 47th Birthday in 9 days" $'Zo\xc3\xab Berg\'s Birthday in 54 days' \
    "Cy Park's 37th Birthday in 59 days"; do
    grep -qF "$line" <<< "$shown" || { echo "$shown" >&2; fail "the report lacks: $line"; }
done
# The anniversary is in the list, beyond the report's 100 days.
grep -q 'Anniversary' "$list" || fail "the anniversary did not become an entry"

# In Tessaly: a comment for Bob, which the address book knows nothing of.
python3 - "$list" <<'PY'
import sys
path = sys.argv[1]
lines = open(path, "rb").read().split(b"\r\n")
at = lines.index(b"Bob Lee")
lines[at + 3] = b"from Tessaly"
open(path, "wb").write(b"\r\n".join(lines))
PY

# On the phone: Bob renamed, Cy deleted, Zoe's birthday removed.
write_card bob VERSION:3.0 'FN:Robert Lee' 'N:Lee;Robert;;;' BDAY:1980-03-01
write_card zoe VERSION:4.0 $'FN:Zo\xc3\xab Berg' ANNIVERSARY:20100612
rm "$work/phone/cy.vcf"
phone_sync sync
said=$(tessaly) || fail "the second sync: $said"
grep -q 'Address books: 0 added, 1 changed, 2 removed' <<< "$said" || fail "the second sync said: $said"
shown=$(report)
grep -qF "Robert Lee's 47th Birthday in 9 days" <<< "$shown" || { echo "$shown" >&2; fail "Bob was not renamed"; }
! grep -qE "Bob Lee|Cy Park|Zo.* Birthday" <<< "$shown" || { echo "$shown" >&2; fail "a removed entry is still reported"; }
python3 - "$list" <<'PY' || fail "Robert lost the comment set in Tessaly"
import sys
lines = open(sys.argv[1], "rb").read().split(b"\r\n")
sys.exit(lines[lines.index(b"Robert Lee") + 3] != b"from Tessaly")
PY
grep -q 'Anniversary' "$list" || fail "Zoe's anniversary went with her birthday"

# The phone empties the book: Tessaly stops and keeps the list.
rm -f "$work"/phone/*.vcf
phone_sync sync --force-delete contacts
status=0
tessaly --quiet 2> "$work/stopped.txt" || status=$?
[[ $status == 8 ]] || { cat "$work/stopped.txt" >&2; fail "status $status instead of 8"; }
grep -q 'Robert Lee' "$list" || fail "the list lost Robert"
tessaly --allow-deletions --quiet
! grep -qE 'Robert Lee|Anniversary' "$list" || fail "the emptied book's entries stayed after the user's word"
grep -q 'Own Entry' "$list" || fail "the list's own entry went with the book"
echo "contacts_scenario: passed"
