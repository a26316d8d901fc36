#!/usr/bin/env bash
# The daily notification under Wine, on Xvfb with openbox: the programs the
# portable folder holds (the build's bundle list) in a folder with a blank in
# its name; `tessaly-report.exe --notify` with an entry due today puts up the
# notifier's balloon and exits 0, a click on the balloon starts Tessaly.exe
# and ends the notifier; nothing due exits 1 and shows nothing; without the
# notifier beside it the tool exits 69.
#   bash scripts/wine-notify.sh [build folder] [screenshot folder]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-session.sh

build=${1:-build-windows}
shots=${2:-}
[[ -z "$shots" ]] || shots="$(realpath "$shots")"
[[ -f "$build/windows-bundle.txt" ]] || fail "no $build/windows-bundle.txt: build $build first"

start_wine_session
folder="$WINEPREFIX/drive_c/Tessaly Notify"
while read -r file; do
    [[ -z "$file" ]] && continue
    mkdir -p "$(dirname "$folder/$file")"
    cp "$build/bin/$file" "$folder/$file" || fail "$file of the bundle list is not built"
done < "$build/windows-bundle.txt"

# One entry whose day is today (Ann), one in 50 days.
day_number() { echo $(($(date -u -d "$1" +%s) / 86400 + 25569)); }
entry() {
    local day
    day=$(day_number "$(date -d "$2" +%F)")
    printf '%s\r\n %s.%s0000000000E+0004\r\nBirthday\r\n\r\n\r\n\r\n\r\n\r\n' "$1" "${day:0:1}" "${day:1}"
}
write_list() { { printf 'V1.1\r\n%s\r\n' $#; for name; do entry "$name" "${days[$name]}"; done; } > "$folder/Tessaly.dat"; }
declare -A days=([Ann]="30 years ago" [Bob]="+50 days -20 years")
# Into a file: under Wine the detached notifier holds the tool's Unix output
# open, so that a pipe would wait for the balloon to go.
notify() {
    local code=0
    wine "$folder/tessaly-report.exe" --notify > "$folder/notify.out" 2>&1 || code=$?
    tr -d '\r' < "$folder/notify.out"
    return "$code"
}
# The balloon: an unnamed window of Wine's explorer wider than the tray.
balloon() {
    local id
    for id in $(xdotool search --onlyvisible --class explorer.exe 2>/dev/null); do
        [[ -z "$(xdotool getwindowname "$id" 2>/dev/null)" ]] || continue
        (($(xdotool getwindowgeometry "$id" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p') > 200)) &&
            echo "$id" && return 0
    done
    return 1
}
notifier_running() { xdotool search --class tessaly-notify.exe > /dev/null 2>&1; }

step "--notify with an entry due today"
write_list Ann Bob
code=0
said=$(notify) || code=$?
((code == 0)) || fail "tessaly-report.exe --notify exited with $code: $said"
for _ in $(seq 40); do id=$(balloon) && break; sleep 0.5; done
[[ -n "${id:-}" ]] || fail "no balloon"
[[ -z "$shots" ]] || { mkdir -p "$shots"; import -window root -crop 400x200+0+0 "$shots/windows-notification.png"; }
notifier_running || fail "the notifier ended while its balloon shows"
pass "the balloon is up and the tool has ended"

step "a click on the notification opens Tessaly"
# Windows tells the notifier of a click on the balloon itself; Wine's balloon
# only closes, and the click that reaches the notifier is the one on its icon
# in the notification area, which the notifier takes the same way.
xdotool mousemove --window "$id" 120 40 click 1
sleep 1
tray=$(xdotool search --onlyvisible --name 'System Tray' | head -n 1)
[[ -n "$tray" ]] || fail "no notification area"
xdotool mousemove --window "$tray" 10 10 click 1
main=$(wait_window '^Tessaly v1.0f$')
for _ in $(seq 20); do notifier_running || break; sleep 0.5; done
notifier_running && fail "the notifier stayed after the click"
pass "Tessaly.exe started and the notifier ended"
activate "$main"
xdotool key alt+F4
wait_gone "$main"

step "--notify with nothing due"
write_list Bob
code=0
said=$(notify) || code=$?
((code == 1)) || fail "tessaly-report.exe --notify exited with $code, not 1: $said"
grep -q "nothing is due" <<< "$said" || fail "no message that nothing is due: $said"
sleep 2
balloon > /dev/null && fail "a balloon with nothing due"
notifier_running && fail "a notifier started with nothing due"
pass "nothing shown, status 1"

step "the scheduled task's command shows the notification"
# What the daily task runs: the sync (no account here: nothing to do), then
# the report's notification, neither in a console window.
write_list Ann
wine "$folder/tessaly-notify.exe" --daily > /dev/null 2>&1 &
id=
for _ in $(seq 60); do id=$(balloon) && break; sleep 0.5; done
[[ -n "$id" ]] || fail "no balloon from tessaly-notify.exe --daily"
xdotool search --onlyvisible --class 'conhost|wineconsole' > /dev/null 2>&1 &&
    fail "a console window showed"
pass "the balloon is up"

step "--notify without the notifier"
write_list Ann
rm "$folder/tessaly-notify.exe"
code=0
said=$(notify) || code=$?
((code == 69)) || fail "tessaly-report.exe --notify exited with $code, not 69: $said"
grep -q "tessaly-notify.exe\" is missing" <<< "$said" || fail "no message naming the notifier: $said"
pass "status 69 with its reason"
finish_wine_session
