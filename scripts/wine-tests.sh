#!/usr/bin/env bash
# The Windows build's whole test suite under Wine, in a fresh Wine prefix: the
# core, the report builder, the Win32 backend and the window's tests (drawn
# offscreen with the locale pinned, as on Linux; the calendar client against
# a Radicale started here), then the terminal tools as a user runs them.
#   bash scripts/wine-tests.sh [build folder [ctest options...]]
# The options choose the tests, e.g. -R single_instance; the tool runs below
# follow them in any case.
# Needs what scripts/build-windows.sh needs, wine64 and radicale.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-windows}
shift || true
bash scripts/build-windows.sh "$build"

# A prefix and a home of their own: Wine links the prefix's Desktop and
# documents to the home's folders, where the tests make shortcuts.
wine_work="$(mktemp -d "${TMPDIR:-/tmp}/tessaly-wine.XXXXXX")"
WINEPREFIX="$wine_work/prefix"
HOME="$wine_work/home"
mkdir -p "$WINEPREFIX" "$HOME"
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_STATE_HOME
export WINEPREFIX HOME WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The calendar client's tests talk to a Radicale on the Linux side: Wine
# cannot start it. It starts while Wine does.
source scripts/caldav-test-server.sh
trap 'wineserver -k 2>/dev/null || true; rm -rf "$wine_work"; stop_caldav_test_server' EXIT
# One server for the whole run, kept alive between programs: a server that
# exits while the next test program connects drops that program.
wineserver -p
wineboot -i > /dev/null 2>&1
source scripts/wine-fonts.sh
wait_for_caldav_test_server

tests_started=$SECONDS
ctest --test-dir "$build" --output-on-failure -j2 "$@"
echo "wine-tests: tests under Wine took $((SECONDS - tests_started)) s"

# The report tool as a user runs it, on a Tessaly.dat written on Windows.
expected="    1.  Ann's 29th Birthday in 4 days (Sun, 14/02/2027)"
check_report() {
    local report
    if ! report="$(LC_ALL=C.UTF-8 wine "$@" --date 2027-02-10 --days 14 --date-format %d/%m/%Y |
        tr -d '\r')"; then
        echo "$report"
        echo "wine-tests: tessaly-report.exe failed: $*" >&2
        exit 1
    fi
    echo "$report"
    if ! grep -qxF "$expected" <<< "$report" ||
        ! grep -qxF " 1 events found and reported." <<< "$report"; then
        echo "wine-tests: the report of $* is not the expected one" >&2
        exit 1
    fi
}
data="$WINEPREFIX/drive_c/Tessaly Data"
mkdir -p "$data"
printf 'V1.1\r\n2\r\nAnn\r\n 3.58400000000000E+0004\r\nBirthday\r\n\r\n\r\n\r\n\r\n\r\nBob\r\n 1.00000000000000E+0001\r\nWedding\r\n\r\n\r\n\r\n\r\n\r\n' \
    > "$data/Tessaly.dat"
echo "=== tessaly-report.exe on a data file"
check_report "$build/bin/tessaly-report.exe" --file 'C:\Tessaly Data\Tessaly.dat'

# Folder names that no ANSI code page holds: the tool finds the file beside
# itself through its own path, and the one its argument names.
odd="$WINEPREFIX/drive_c/Zoë Ärger ĳ 日本"
mkdir -p "$odd/Данные"
cp "$build/bin/tessaly-report.exe" "$data/Tessaly.dat" "$odd/"
cp "$data/Tessaly.dat" "$odd/Данные/"
echo "=== tessaly-report.exe beside a data file in a non-ASCII folder"
check_report "$odd/tessaly-report.exe"
echo "=== tessaly-report.exe on a data file in a non-ASCII folder"
check_report "$build/bin/tessaly-report.exe" --file 'C:\Zoë Ärger ĳ 日本\Данные\Tessaly.dat'
echo "=== tessaly-report.exe --ical and --csv into files, read by khal"
# Written through cmd's redirection as a user types it: one CR LF per line.
exports="$WINEPREFIX/drive_c/Exports"
mkdir -p "$exports"
tool_win="$(winepath -w "$build/bin/tessaly-report.exe")"
printf '@"%s" --ical --file "C:\\Tessaly Data\\Tessaly.dat" > C:\\Exports\\f.ics\r\n@"%s" --csv --file "C:\\Tessaly Data\\Tessaly.dat" > C:\\Exports\\f.csv\r\n' \
    "$tool_win" "$tool_win" > "$exports/export.bat"
wine cmd /c 'C:\Exports\export.bat' || { echo "wine-tests: the exports failed" >&2; exit 1; }
for file in f.ics f.csv; do
    lines=$(wc -l < "$exports/$file")
    crlf=$(grep -c $'\r$' "$exports/$file" || true)
    if ((lines < 3 || crlf != lines)) || grep -q $'\r\r' "$exports/$file"; then
        echo "wine-tests: $file has $lines lines, $crlf ending in one CR LF" >&2
        exit 1
    fi
done
if command -v khal > /dev/null; then
    khal_dir="$(mktemp -d)"
    mkdir -p "$khal_dir/cal"
    cat > "$khal_dir/khal.conf" <<CONF
[calendars]
[[exported]]
path = $khal_dir/cal
type = calendar
[locale]
timeformat = %H:%M
dateformat = %Y-%m-%d
longdateformat = %Y-%m-%d
datetimeformat = %Y-%m-%d %H:%M
longdatetimeformat = %Y-%m-%d %H:%M
CONF
    khal -c "$khal_dir/khal.conf" import --batch -a exported "$exports/f.ics" ||
        { echo "wine-tests: khal refused f.ics" >&2; exit 1; }
    listed=$(khal -c "$khal_dir/khal.conf" list 2027-02-01 30d)
    rm -rf "$khal_dir"
    if ! grep -q "Ann" <<< "$listed"; then
        echo "$listed"
        echo "wine-tests: khal does not list Ann from f.ics" >&2
        exit 1
    fi
fi

# The sync tool as the daily task runs it: the account set and its password
# kept in the Credential Manager, then one sync against the Radicale started
# above; the server then holds both entries as events.
echo "=== tessaly-sync.exe against Radicale"
if [[ -n "${TESSALY_TEST_CALDAV_URL:-}" ]]; then
    sync_folder="$WINEPREFIX/drive_c/Tessaly Sync"
    mkdir -p "$sync_folder"
    cp "$data/Tessaly.dat" "$build/bin/tessaly-sync.exe" "$sync_folder/"
    for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
        cp "$build/bin/$dll" "$sync_folder/"
    done
    sync_exe="$sync_folder/tessaly-sync.exe"
    wine "$sync_exe" --set-account \
        --server "$TESSALY_TEST_CALDAV_URL" --user "$TESSALY_TEST_CALDAV_USER" --store-password \
        <<< "$TESSALY_TEST_CALDAV_PASSWORD"
    # The suite's own server tests write to other calendars of this server:
    # the sync's summary and its calendar tell what it sent.
    said=$(wine "$sync_exe" --if-account | tr -d '\r')
    echo "$said"
    # The calendar the sync found or made, as the account keeps it: its path
    # below the server's address is its folder in Radicale's storage.
    calendar=$( (iconv -f UTF-16 -t UTF-8 "$sync_folder/Tessaly.ini" 2> /dev/null ||
        cat "$sync_folder/Tessaly.ini") | tr -d '\r' | sed -n 's/^Calendar=//p' | head -n 1)
    calendar_path=${calendar#"$TESSALY_TEST_CALDAV_URL"}
    events=0
    [[ -n "$calendar" && -d "$caldav_folder/collections/collection-root/$calendar_path" ]] &&
        events=$(find "$caldav_folder/collections/collection-root/$calendar_path" -maxdepth 1 \
            -name '*.ics' | wc -l)
    if ! grep -q '^Synced: 2 sent' <<< "$said" || ((events != 2)); then
        echo "wine-tests: after tessaly-sync.exe the calendar Tessaly holds $events events, not 2" >&2
        exit 1
    fi
else
    echo "wine-tests: no radicale: tessaly-sync.exe not run against a server"
fi
echo "wine-tests: tests and report runs under Wine took $((SECONDS - tests_started)) s"
