#!/usr/bin/env bash
# The real window under Wine, driven as a user drives it, on Xvfb with
# openbox and xdotool: Tessaly.exe from the portable zip, in a fresh Wine
# prefix. Checks the start-up report, adding an entry with a non-ASCII name
# through the dialog, the files written on close, Auto-Run, the shortcuts, the
# readme in Notepad, the About box and taskkill during a start-up question.
#   bash scripts/wine-window.sh [build folder] [screenshot folder]
# The build folder (build-windows) holds the zip that scripts/package-windows.sh
# makes and the build's profile reader; screenshots go to the screenshot
# folder when one is named (docs/ to renew the README's).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-session.sh

build=${1:-build-windows}
shots=${2:-}
[[ -z "$shots" ]] || shots="$(realpath "$shots")"
zip="$build/Tessaly-1.0f-windows-x64.zip"
[[ -f "$zip" ]] || fail "no $zip: run scripts/package-windows.sh first"
reader="$(realpath "$build/bin/tessaly_profile_reader.exe")"

start_wine_session
start_task_scheduler
folder="$WINEPREFIX/drive_c/Tessaly Portable"
exe='C:\Tessaly Portable\Tessaly.exe'
mkdir -p "$folder"
unzip -q "$zip" -d "$folder"

# One entry whose birthday is today, and the report at start-up.
today=$(date +%F)
day_number() { echo $(($(date -u -d "$1" +%s) / 86400 + 25569)); }
born=$(day_number "$((${today:0:4} - 30))${today:4}")
printf 'V1.1\r\n1\r\nAnn\r\n %s.%s0000000000E+0004\r\nBirthday\r\n\r\n\r\n\r\n\r\n\r\n' \
    "${born:0:1}" "${born:1}" > "$folder/Tessaly.dat"
printf '[Tessaly]\r\nAuto_Display_Coming_Events_Report_CheckBox=1\r\n' > "$folder/Tessaly.ini"

# The settings file as Windows' private-profile functions read it.
profile() { wine "$reader" 'C:\Tessaly Portable\Tessaly.ini' Tessaly "$1" | tr -d '\r'; }
# A Tessaly.exe message box: a second window of the program's title.
wait_message() {
    for _ in $(seq 60); do
        (($(xdotool search --onlyvisible --name '^Tessaly v1.0f$' | wc -l) > 1)) && return 0
        sleep 0.5
    done
    fail "no message box"
}
# The start-up report, closed with Escape; the main window's id.
past_report() {
    local report
    report=$(wait_window '^Coming Birthdays and Events')
    sleep 1
    [[ -z "${1:-}" ]] || screenshot "$report" "$1"
    activate "$report"
    xdotool key Escape
    main=$(wait_window '^Tessaly v1.0f$')
    sleep 1
}
close_tessaly() {
    activate "$main"
    xdotool key alt+F4
    wait_tessaly_exit
}
# Text through the clipboard, as a user pastes it: xdotool's key presses
# reach Wine only for the letters of the keyboard layout it started with.
paste_text() {
    printf '%s' "$1" | xclip -selection clipboard -i
    sleep 0.5
    xdotool key ctrl+v
    sleep 0.5
}
# File-menu commands by their place below the first item.
file_command() {
    activate "$main"
    xdotool key --delay 300 alt+f
    for _ in $(seq "$1"); do xdotool key --delay 200 Down; done
    xdotool key Return
}

step "start-up report"
start_tessaly "$exe"
past_report windows-report
screenshot "$main" windows-main-window
pass "the report at start-up, then the list"

step "a second start brings the first window forward"
second_started=$SECONDS
wine "$exe" > /dev/null 2>&1 || fail "the second Tessaly.exe failed"
(($(xdotool search --onlyvisible --name '^Tessaly v1.0f$' | wc -l) == 1)) ||
    fail "a second window opened on the same list"
pass "the second Tessaly.exe ended after $((SECONDS - second_started)) s, one window"

step "Add an entry through the dialog"
name='Zoë Ĳzerman-Größe'
activate "$main"
# Data > Add: Data is the menu right of File.
xdotool key --delay 300 alt+f Right Return
dialog=$(wait_window '^Add a New Birthday or Event')
sleep 1
# The name field and the event type, then OK: Enter leaves the dialog open.
xdotool mousemove --window "$dialog" 280 257 click 1
paste_text "$name"
xdotool mousemove --window "$dialog" 283 288 click 1
xdotool type --delay 100 "Namenstag"
screenshot "$dialog" windows-dialog
xdotool mousemove --window "$dialog" 158 396 click 1
wait_gone "$dialog"

step "close, then the files beside the program"
close_tessaly
data="$(cat "$folder/Tessaly.dat")"
[[ "$data" == $'V1.1\r\n2\r\n'* ]] || fail "Tessaly.dat does not begin with V1.1 and 2 entries"
grep -qv $'\r$' "$folder/Tessaly.dat" && fail "Tessaly.dat has a line without CR LF"
grep -qF "$name"$'\r' "$folder/Tessaly.dat" || fail "Tessaly.dat lacks $name"
grep -qF $'Namenstag\r' "$folder/Tessaly.dat" || fail "Tessaly.dat lacks the event type"
# UTF-16 with its mark, which the profile functions read every letter of.
[[ "$(head -c 2 "$folder/Tessaly.ini" | od -An -tx1 | tr -d ' ')" == fffe ]] ||
    fail "Tessaly.ini is not UTF-16"
iconv -f UTF-16 -t UTF-8 "$folder/Tessaly.ini" | grep -qv $'\r$' &&
    fail "Tessaly.ini has a line without CR LF"
[[ "$(profile Auto_Display_Coming_Events_Report_CheckBox)" == 1 ]] || fail "report setting lost"
[[ "$(profile Days_Threshold_SpinEdit)" == 14 ]] || fail "Days_Threshold_SpinEdit is not 14"
[[ "$(profile Event_Type_ComboBox)" == Namenstag ]] || fail "Event_Type_ComboBox is not Namenstag"
[[ "$(profile Auto_Run_at_Windows_Startup_Option)" == 0 ]] || fail "Auto-Run is set"
[[ "$(profile Name_Edit)" == "$name" ]] || fail "Name_Edit reads '$(profile Name_Edit)'"
pass "Tessaly.dat (V1.1, CR LF, $name) and Tessaly.ini beside the program"

# A portable copy starts for its own user only: the user's Run key.
user_run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
machine_run='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
step "File > Auto-Run writes the user's Run value"
start_tessaly "$exe"
past_report
activate "$main"
xdotool key --delay 300 alt+f a
wait_message
xdotool key Return
run_value=$(wine reg query "$user_run" /v Tessaly.exe |
    tr -d '\r' | sed -n 's/^ *Tessaly.exe *REG_SZ *//p')
[[ "$run_value" == "\"$exe\"" ]] || fail "the Run value is '$run_value', not '\"$exe\"'"
wine reg query "$machine_run" /v Tessaly.exe > /dev/null 2>&1 &&
    fail "a portable copy wrote the machine's Run key"
pass "Run value Tessaly.exe = $run_value"

step "File > Daily Notification adds and removes the scheduled task"
notification_status() {
    local code=0
    wine "$folder/tessaly-report.exe" --daily-notification status > /dev/null 2>&1 || code=$?
    echo "$code"
}
[[ "$(notification_status)" == 1 ]] || fail "a daily notification task before any was made"
file_command 2
for _ in $(seq 20); do [[ "$(notification_status)" == 0 ]] && break; sleep 0.5; done
[[ "$(notification_status)" == 0 ]] || fail "the menu item made no task"
file_command 2
for _ in $(seq 20); do [[ "$(notification_status)" == 1 ]] && break; sleep 0.5; done
[[ "$(notification_status)" == 1 ]] || fail "the menu item left the task"
pass "the task is there after the first click and gone after the second"

step "shortcuts"
shell_folder() {
    winepath -u "$(wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' \
        /v "$1" | tr -d '\r' | sed -n "s/^ *$1 *REG_SZ *//p")"
}
desktop="$(shell_folder Desktop)/Tessaly.lnk"
start_menu="$(shell_folder 'Start Menu')/Tessaly.lnk"
programs="$(shell_folder 'Start Menu')/Programs/Tessaly.lnk"
send_to="$(shell_folder SendTo)/Tessaly.lnk"
# Below Always On Top, Auto-Run, Daily Notification and Restore.
for place in 4 5 6 7; do
    file_command "$place"
    sleep 1
done
for link in "$desktop" "$start_menu" "$programs" "$send_to"; do
    for _ in $(seq 20); do [[ -f "$link" ]] && break; sleep 0.5; done
    [[ -f "$link" ]] || fail "no $link"
done
pass "Tessaly.lnk on the Desktop, in the Start Menu, its Programs and SendTo"

step "Help > View Readme starts Notepad on Tessaly.txt"
activate "$main"
xdotool key --delay 300 alt+h v
notepad=$(wait_window 'Tessaly.txt - Notepad')
pgrep -af -i 'notepad.exe' | grep -qi 'Tessaly Portable.Tessaly.txt' || fail "Notepad has another file"
activate "$notepad"
xdotool key alt+F4
pass "Notepad on the readme"

step "Help > About"
activate "$main"
xdotool key --delay 300 alt+h a
about=$(wait_window '^About Tessaly v1.0f')
sleep 1
screenshot "$about" windows-about
activate "$about"
xdotool key Escape
wait_gone "$about"
pass "the About box (its memory figure is in the screenshot)"

step "the next start ticks Auto-Run from the registry"
close_tessaly
[[ "$(profile Auto_Run_at_Windows_Startup_Option)" == 1 ]] || fail "Auto-Run was not stored"
# The stored mark cleared, so that only the registry can set it again.
{
    printf '\xff\xfe'
    iconv -f UTF-16 -t UTF-8 "$folder/Tessaly.ini" |
        sed 's/^Auto_Run_at_Windows_Startup_Option=1/Auto_Run_at_Windows_Startup_Option=0/' |
        iconv -f UTF-8 -t UTF-16LE
} > "$session/Tessaly.ini"
mv "$session/Tessaly.ini" "$folder/Tessaly.ini"
[[ "$(profile Auto_Run_at_Windows_Startup_Option)" == 0 ]] || fail "the stored mark stayed"
start_tessaly "$exe"
past_report
close_tessaly
[[ "$(profile Auto_Run_at_Windows_Startup_Option)" == 1 ]] ||
    fail "the start-up check did not tick Auto-Run"
pass "ticked at start-up from the Run value"

step "a shortcut starts the program"
wine start /unix "$desktop"
past_report
close_tessaly_started_elsewhere() {
    activate "$main"
    xdotool key alt+F4
    for _ in $(seq 60); do
        pgrep -f 'Tessaly Portable.Tessaly.exe' > /dev/null || return 0
        sleep 0.5
    done
    fail "Tessaly.exe did not end"
}
close_tessaly_started_elsewhere
pass "the Desktop shortcut started Tessaly.exe"

step "Delete ALL removes the Desktop, Start Menu and SendTo shortcuts"
start_tessaly "$exe"
past_report
file_command 8
wait_message
xdotool key Return
for link in "$desktop" "$start_menu" "$send_to"; do
    [[ ! -e "$link" ]] || fail "$link is still there"
done
[[ -f "$programs" ]] || fail "the Programs shortcut went too"
file_command 1
wait_message
xdotool key Return
close_tessaly
run_left=$(wine reg query "$user_run" /v Tessaly.exe 2>&1 |
    tr -d '\r' | grep -c 'REG_SZ' || true)
[[ "$run_left" == 0 ]] || fail "Auto-Run off left the Run value"
pass "shortcuts deleted (the Programs one stays), Auto-Run switched off again"

step "taskkill during the start-up question ends the program, saved"
# A Run value of another copy: start-up asks whether to correct it, before
# the main window shows.
wine reg add "$user_run" /v Tessaly.exe /t REG_SZ /d '"C:\Elsewhere\Tessaly.exe"' /f \
    > /dev/null 2>&1
rm -f "$folder/Tessaly.ini"
start_tessaly "$exe"
wait_window '^Tessaly v1.0f$' > /dev/null
sleep 1
wine taskkill /im Tessaly.exe > /dev/null 2>&1 || fail "taskkill found no Tessaly.exe"
wait_tessaly_exit
[[ -f "$folder/Tessaly.ini" ]] || fail "the close did not write Tessaly.ini"
grep -qF $'Ann\r' "$folder/Tessaly.dat" || fail "Tessaly.dat lost its entries"
run_value=$(wine reg query "$user_run" /v Tessaly.exe |
    tr -d '\r' | sed -n 's/^ *Tessaly.exe *REG_SZ *//p')
[[ "$run_value" == '"C:\Elsewhere\Tessaly.exe"' ]] || fail "the question was answered Yes"
# Nothing left behind to hand the next start over to: it asks again.
start_tessaly "$exe"
question=$(wait_window '^Tessaly v1.0f$')
sleep 1
activate "$question"
xdotool key Escape
wait_gone "$question"
main=$(wait_window '^Tessaly v1.0f$')
sleep 1
close_tessaly
wine reg delete "$user_run" /v Tessaly.exe /f > /dev/null 2>&1
pass "the program ended with its files written, and the next start shows its window"
finish_wine_session
