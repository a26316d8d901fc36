#!/usr/bin/env bash
# The installer's round trips under Wine:
#  - a silent install for the current user (the default): the files, the
#    user's Start menu, Add/Remove Programs under HKCU with its size;
#  - the installed program started, its list and settings in %APPDATA%\Tessaly,
#    a Desktop shortcut made from its File menu;
#  - a silent install while the program runs: refused, files untouched;
#  - an upgrade over the per-user install, with the daily notification: the
#    list, settings and calendar account kept, the scheduled task there;
#  - an install for everyone (as the earlier installer made it: Program
#    Files, HKLM) with an old Tessaly.dat beside the program, upgraded with
#    the daily notification asked for, and uninstalled: the Tessaly.dat
#    stays;
#  - the per-user uninstall: it removes the shortcut to its program and keeps
#    a shortcut of the same name to another program.
#   bash scripts/wine-installer.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-session.sh

build=${1:-build-windows}
setup="$(realpath "$build/Tessaly-1.0f-windows-x64-setup.exe" 2>/dev/null || true)"
[[ -f "$setup" ]] || fail "no $build/Tessaly-1.0f-windows-x64-setup.exe: run scripts/package-windows.sh first"
bundle="$build/windows-bundle.txt"
[[ -f "$bundle" ]] || fail "no $bundle"
uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessaly'

start_wine_session
start_task_scheduler
win_var() { winepath -u "$(wine cmd /c echo "%$1%" | tr -d '\r')"; }
app_data="$(win_var APPDATA)"
user_dir="$(win_var LOCALAPPDATA)/Programs/Tessaly"
user_dir_win="$(wine cmd /c echo '%LOCALAPPDATA%\Programs\Tessaly' | tr -d '\r')"
user_menu="$app_data/Microsoft/Windows/Start Menu/Programs"
send_to="$app_data/Microsoft/Windows/SendTo"
desktop="$(win_var USERPROFILE)/Desktop"
everyone_dir="$(winepath -u 'C:\Program Files')/Tessaly"
everyone_menu="$(winepath -u 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs')"

reg_value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'; }
# Each file's checksum, so that "untouched" means the same bytes.
fingerprint() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }
# The uninstaller runs from a copy of itself and returns at once.
wait_removed() {
    for _ in $(seq 120); do
        [[ -e "$1" ]] || return 0
        sleep 0.5
    done
    return 1
}

check_installed() { # folder, Start-menu folder, root key, kind
    local file size
    while read -r file; do
        [[ -n "$file" ]] || continue
        [[ -f "$1/$file" ]] || fail "no $file in $1 ($4)"
    done < "$bundle"
    for file in LICENSES/LGPL-3.0-only.txt Uninstall.exe; do
        [[ -f "$1/$file" ]] || fail "no $file in $1 ($4)"
    done
    [[ -f "$2/Tessaly.lnk" ]] || fail "no Start-menu entry in $2 ($4)"
    reg_value "$3\\$uninstall_key" UninstallString | grep -q 'Uninstall.exe" /'"$4" ||
        fail "no Add/Remove Programs entry under $3 ($4)"
    [[ "$(reg_value "$3\\$uninstall_key" DisplayVersion)" == 1.0f ]] || fail "no version under $3"
    [[ "$(reg_value "$3\\$uninstall_key" Publisher)" == "Harrow Software" ]] || fail "no publisher"
    reg_value "$3\\$uninstall_key" DisplayIcon | grep -qi 'Tessaly.exe' || fail "no icon under $3"
    size=$(($(reg_value "$3\\$uninstall_key" EstimatedSize)))
    # KiB, from the installed files: within a tenth of what du counts.
    local counted=$(($(du -sb "$1" | cut -f1) / 1024))
    ((size > counted * 9 / 10 && size < counted * 11 / 10)) ||
        fail "EstimatedSize $size KiB for $counted KiB of files ($4)"
}

step "silent install for the current user"
wine "$setup" /S || fail "the per-user install ended with $?"
check_installed "$user_dir" "$user_menu" HKCU CurrentUser
[[ ! -e "$everyone_dir" ]] || fail "a per-user install wrote into Program Files"
if wine reg query "HKLM\\$uninstall_key" > /dev/null 2>&1; then
    fail "a per-user install wrote under HKLM"
fi
pass "installed into $user_dir with the user's Start-menu and Add/Remove Programs entries"

step "the installed program keeps its files in %APPDATA%\\Tessaly; a second setup waits for it"
# A list with a birthday today and the report at start-up, where the installed
# program should look for them: the report shows only if it found both.
mkdir -p "$app_data/Tessaly"
born=$(($(date -u -d "$((10#$(date +%Y) - 30))$(date +-%m-%d)" +%s) / 86400 + 25569))
printf 'V1.1\r\n1\r\nAnn\r\n %s.%s0000000000E+0004\r\nBirthday\r\n\r\n\r\n\r\n\r\n\r\n' \
    "${born:0:1}" "${born:1}" > "$app_data/Tessaly/Tessaly.dat"
printf '[Tessaly]\r\nAuto_Display_Coming_Events_Report_CheckBox=1\r\n' > "$app_data/Tessaly/Tessaly.ini"
start_tessaly "$user_dir_win\\Tessaly.exe"
report=$(wait_window '^Coming Birthdays and Events')
before=$(fingerprint "$user_dir")
status=0
wine "$setup" /S || status=$?
((status != 0)) || fail "the installer replaced the files of the running program"
[[ "$(fingerprint "$user_dir")" == "$before" ]] || fail "the refused install changed the program's files"
pass "a silent install while Tessaly runs ends with $status and changes nothing"
sleep 1
activate "$report"
xdotool key Escape
main=$(wait_window '^Tessaly v1.0f$')
sleep 1
activate "$main"
# File > Create Shortcut on Desktop.
xdotool key --delay 300 alt+f d
for _ in $(seq 20); do
    [[ -f "$desktop/Tessaly.lnk" ]] && break
    sleep 0.5
done
[[ -f "$desktop/Tessaly.lnk" ]] || fail "the program made no Desktop shortcut"
activate "$main"
xdotool key alt+F4
wait_tessaly_exit
# Saved in UTF-16, which Windows' profile functions read every letter of.
iconv -f UTF-16 -t UTF-8 "$app_data/Tessaly/Tessaly.ini" | grep -q '^window_top_posn=' ||
    fail "the settings were not written to %APPDATA%\\Tessaly"
for file in Tessaly.dat Tessaly.ini; do
    [[ ! -e "$user_dir/$file" ]] || fail "$file was written into the program's folder"
done
pass "read Tessaly.dat and Tessaly.ini from $app_data/Tessaly, wrote the settings there"

step "upgrade over the per-user install"
# A calendar account as the window keeps it, in the settings' own encoding.
{
    iconv -f UTF-16 -t UTF-8 "$app_data/Tessaly/Tessaly.ini" | sed '1s/^\xef\xbb\xbf//'
    printf '[Calendar Sync]\r\nServer=https://calendar.example.org/dav/\r\nUser=ann\r\n'
} | iconv -f UTF-8 -t UTF-16 > "$session/account.ini"
cp "$session/account.ini" "$app_data/Tessaly/Tessaly.ini"
user_files=$(fingerprint "$app_data/Tessaly")
cp "$app_data/Tessaly/Tessaly.dat" "$session/Tessaly.dat"
wine "$setup" /S /DailyNotification || fail "the upgrade ended with $?"
check_installed "$user_dir" "$user_menu" HKCU CurrentUser
[[ "$(fingerprint "$app_data/Tessaly")" == "$user_files" ]] || fail "the upgrade changed the user's files"
[[ -f "$desktop/Tessaly.lnk" ]] || fail "the upgrade removed the Desktop shortcut"
pass "upgraded in place; the list, the settings and the calendar account are as they were"

step "the installer's option registered the daily notification task"
# Wine keeps the task's file but not its actions: the tool's own query and
# the file tell that it is registered.
task_file() { find "$WINEPREFIX/drive_c/windows" -iname 'Tessaly daily notification' 2> /dev/null | head -1; }
said=$(wine "$user_dir_win\\tessaly-report.exe" --daily-notification status 2>&1 | tr -d '\r') ||
    fail "--daily-notification status after the install: $said"
task=$(task_file)
[[ -n "$task" ]] || fail "no task file in the scheduler's folder"
pass "$said"

step "an install for everyone over an earlier one that kept Tessaly.dat beside the program"
wine "$setup" /S /AllUsers || fail "the install for everyone ended with $?"
check_installed "$everyone_dir" "$everyone_menu" HKLM AllUsers
printf 'V1.1\r\n0\r\n' > "$everyone_dir/Tessaly.dat"
# The notification step may fail (a tool without the option): the install
# reports it and goes on.
wine "$setup" /S /AllUsers /DailyNotification || fail "the upgrade for everyone ended with $?"
check_installed "$everyone_dir" "$everyone_menu" HKLM AllUsers
[[ -f "$everyone_dir/Tessaly.dat" ]] || fail "the upgrade removed the old Tessaly.dat"
# Without a switch the setup program updates the copy already there.
wine "$setup" /S || fail "the default upgrade ended with $?"
[[ "$(reg_value "HKCU\\$uninstall_key" InstallLocation)" == "$user_dir_win" ]] ||
    fail "the per-user entry moved"
wine 'C:\Program Files\Tessaly\Uninstall.exe' /S
wait_removed "$everyone_dir/Tessaly.exe" || fail "the uninstall for everyone left the program"
wait_removed "$everyone_menu/Tessaly.lnk" || fail "the uninstall for everyone left the Start-menu entry"
sleep 1
[[ "$(cd "$everyone_dir" && find . -mindepth 1)" == ./Tessaly.dat ]] ||
    fail "the uninstall for everyone left $(find "$everyone_dir") behind"
if wine reg query "HKLM\\$uninstall_key" > /dev/null 2>&1; then
    fail "the HKLM Add/Remove Programs entry is still there"
fi
[[ -f "$user_dir/Tessaly.exe" && -f "$user_menu/Tessaly.lnk" ]] ||
    fail "the uninstall for everyone touched the per-user install"
pass "installed, upgraded and uninstalled for everyone; the old Tessaly.dat and the per-user install stay"

step "per-user uninstall: the program's own shortcuts go, another program's stay"
# A shortcut named as the program's that starts another program.
cat > "$session/links.nsi" << 'EOF'
Target amd64-unicode
OutFile "links.exe"
SilentInstall silent
RequestExecutionLevel user
Section
    SetShellVarContext current
    CreateShortCut "$SENDTO\Tessaly.lnk" "$WINDIR\notepad.exe"
SectionEnd
EOF
(cd "$session" && makensis -V1 links.nsi)
wine "$session/links.exe"
[[ -f "$send_to/Tessaly.lnk" ]] || fail "could not make the other program's shortcut"
wine "$user_dir_win\\Uninstall.exe" /S
wait_removed "$user_dir" || fail "the program's folder is still there: $(find "$user_dir")"
wait_removed "$user_menu/Tessaly.lnk" || fail "the Start-menu entry is still there"
wait_removed "$desktop/Tessaly.lnk" || fail "the Desktop shortcut to the program is still there"
[[ -f "$send_to/Tessaly.lnk" ]] || fail "the uninstaller removed a shortcut to another program"
[[ -z "$(task_file)" ]] || fail "the uninstaller left the daily notification task"
if wine reg query "HKCU\\$uninstall_key" > /dev/null 2>&1; then
    fail "the Add/Remove Programs entry is still there"
fi
# The notification's switch may write the settings: the list and the account stay.
cmp -s "$app_data/Tessaly/Tessaly.dat" "$session/Tessaly.dat" || fail "the uninstaller changed the list"
iconv -f UTF-16 -t UTF-8 "$app_data/Tessaly/Tessaly.ini" | grep -q '^Server=https://calendar.example.org' ||
    fail "the uninstaller lost the calendar account"
pass "program, its shortcuts and its entries removed; the other shortcut and the user's files kept"
finish_wine_session
