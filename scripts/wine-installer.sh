#!/usr/bin/env bash
# The installer's round trip under Wine: a silent install (/S) into Program
# Files, the installed program started, its list and settings found in
# %APPDATA%\Tessaly, then a silent uninstall that removes the program and
# leaves the user's files.
#   bash scripts/wine-installer.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-session.sh

build=${1:-build-windows}
setup="$build/Tessaly-1.0f-windows-x64-setup.exe"
[[ -f "$setup" ]] || fail "no $setup: run scripts/package-windows.sh first"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessaly'

start_wine_session
program_files="$(winepath -u 'C:\Program Files')"
installed="$program_files/Tessaly"
app_data="$(winepath -u "$(wine cmd /c echo %APPDATA% | tr -d '\r')")"
start_menu="$(winepath -u 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs')"

step "silent install"
wine "$(realpath "$setup")" /S
for file in Tessaly.exe tessaly-report.exe Qt6Core.dll platforms/qwindows.dll Tessaly.txt \
    catalog.txt LICENSES/LGPL-3.0-only.txt Uninstall.exe; do
    [[ -f "$installed/$file" ]] || fail "no $file in Program Files"
done
[[ -f "$start_menu/Tessaly.lnk" ]] || fail "no Start-menu entry"
wine reg query "$uninstall_key" /v UninstallString | grep -q 'Uninstall.exe' ||
    fail "no entry in Add/Remove Programs"
pass "installed into $installed, with its Start-menu and Add/Remove Programs entries"

step "the installed program keeps its files in %APPDATA%\\Tessaly"
# A list with a birthday today and the report at start-up, where the installed
# program should look for them: the report shows only if it found both.
mkdir -p "$app_data/Tessaly"
born=$(($(date -u -d "$((10#$(date +%Y) - 30))$(date +-%m-%d)" +%s) / 86400 + 25569))
printf 'V1.1\r\n1\r\nAnn\r\n %s.%s0000000000E+0004\r\nBirthday\r\n\r\n\r\n\r\n\r\n\r\n' \
    "${born:0:1}" "${born:1}" > "$app_data/Tessaly/Tessaly.dat"
printf '[Tessaly]\r\nAuto_Display_Coming_Events_Report_CheckBox=1\r\n' > "$app_data/Tessaly/Tessaly.ini"
start_tessaly 'C:\Program Files\Tessaly\Tessaly.exe'
report=$(wait_window '^Coming Birthdays and Events')
sleep 1
activate "$report"
xdotool key Escape
main=$(wait_window '^Tessaly v1.0f$')
sleep 1
activate "$main"
xdotool key alt+F4
wait_tessaly_exit
# Saved in UTF-16, which Windows' profile functions read every letter of.
iconv -f UTF-16 -t UTF-8 "$app_data/Tessaly/Tessaly.ini" | grep -q '^window_top_posn=' ||
    fail "the settings were not written to %APPDATA%\\Tessaly"
for file in Tessaly.dat Tessaly.ini; do
    [[ ! -e "$installed/$file" ]] || fail "$file was written into Program Files"
done
pass "read Tessaly.dat and Tessaly.ini from $app_data/Tessaly and wrote the settings there"

step "silent uninstall"
# The uninstaller runs from a copy of itself and returns at once.
wine 'C:\Program Files\Tessaly\Uninstall.exe' /S
for _ in $(seq 120); do
    [[ -e "$installed" ]] || break
    sleep 0.5
done
[[ ! -e "$installed" ]] || fail "the program's folder is still there: $(find "$installed")"
[[ ! -e "$start_menu/Tessaly.lnk" ]] || fail "the Start-menu entry is still there"
if wine reg query "$uninstall_key" > /dev/null 2>&1; then
    fail "the Add/Remove Programs entry is still there"
fi
for file in Tessaly.dat Tessaly.ini; do
    [[ -f "$app_data/Tessaly/$file" ]] || fail "the uninstaller removed the user's $file"
done
pass "program, Start-menu and Add/Remove Programs entries removed; the user's files kept"
finish_wine_session
