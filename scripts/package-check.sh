#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian and the desktop's
# validators, installs it, uses the installed program as a user would, and
# removes it again. CI runs it after the test suite has passed, so the package
# is built without its tests (nocheck) and without debugging symbols.
set -euo pipefail
cd "$(dirname "$0")/.."
source_tree=$PWD
started=$SECONDS

bash scripts/install-deps.sh debhelper dpkg-dev fakeroot lintian desktop-file-utils appstream \
    librsvg2-bin man-db groff-base xvfb xauth xdotool x11-utils procps openbox dbus-daemon systemd

sudo=()
if ((EUID != 0)); then
    sudo=(sudo)
fi

work=$(mktemp -d)
installed_here=false
cleanup() {
    if $installed_here; then
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get remove -y -qq tessaly > /dev/null || true
    fi
    "${sudo[@]}" rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "package-check: $*" >&2
    exit 1
}

echo "--- build"
# In a copy: dpkg-buildpackage writes into the tree and into its parent.
mkdir "$work/tessaly"
git ls-files --cached --others --exclude-standard -z |
    tar --null -T - -cf - | tar -xf - -C "$work/tessaly"
# Debugging information, which only the debug-symbols package would
# keep, is left out to save build time.
(cd "$work/tessaly" &&
    DEB_BUILD_OPTIONS="nocheck noddebs parallel=$(nproc)" DEB_CXXFLAGS_APPEND=-g0 \
        dpkg-buildpackage -us -uc -b > "$work/build.log" 2>&1) || {
    tail -n 40 "$work/build.log"
    fail "dpkg-buildpackage failed"
}
debs=("$work"/tessaly_*.deb)
((${#debs[@]} == 1)) || fail "expected one package, found: ${debs[*]}"
deb=${debs[0]}
echo "built $(basename "$deb") in $((SECONDS - started)) s"

echo "--- lintian"
# Errors and warnings fail, unless debian/tessaly.lintian-overrides says why
# they do not apply.
lintian --fail-on error,warning --info "$work"/tessaly_*.changes

echo "--- validators on the packaged files"
root=$work/root
dpkg-deb -x "$deb" "$root"
quiet=(sh "$source_tree/tests/data/check_quiet.sh")
"${quiet[@]}" desktop-file-validate "$root/usr/share/applications/org.example.Tessaly.desktop"
"${quiet[@]}" --ignore 'Validation was successful|metainfo\.xml$' \
    appstreamcli validate-tree --no-net "$root"
for page in "$root"/usr/share/man/man1/*.1.gz; do
    MANWIDTH=80 "${quiet[@]}" --stderr man --warnings -l "$page"
done

echo "--- install"
(cd "$work" && DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq \
    --no-install-recommends "./$(basename "$deb")" > /dev/null)
installed_here=true

echo "--- the daily notification"
# Installed for every user, enabled for none.
for unit in tessaly-notify.timer tessaly-notify.service; do
    [[ -f /usr/lib/systemd/user/$unit ]] || fail "$unit is not in /usr/lib/systemd/user"
done
enabled=$(systemctl --global is-enabled tessaly-notify.timer 2> /dev/null || true)
[[ $enabled == disabled ]] || fail "tessaly-notify.timer is '$enabled' for every user, not disabled"
grep -qx "ExecStartPre=-/usr/bin/tessaly-sync --quiet --if-account" \
    /usr/lib/systemd/user/tessaly-notify.service ||
    fail "tessaly-notify.service does not sync before it notifies"

echo "--- use as a user"
# A user of its own, with a fresh home and nothing of this shell's
# environment; root's own runs are not how the program is used.
home=$(mktemp -d)
user=()
if ((EUID == 0)); then
    user=(runuser -u nobody --)
    chown nobody:nogroup "$home"
fi
cat > "$home/use.sh" << 'EOF'
set -eu
report=$(tessaly-report --demo --days 100)
case $report in
    *"events found and reported."*) ;;
    *) echo "tessaly-report --demo printed no report: $report"; exit 1 ;;
esac
# --notify finds its notifier: on a bus of its own, it shows the notification
# (0) or the notifier says why it cannot (69), as the system's servers allow.
code=0
said=$(dbus-run-session -- tessaly-report --notify --demo --days 100 2>&1) || code=$?
case $code:$said in
    *"notifications are not available"*) echo "$said"; exit 1 ;;
    0:* | 69:*"no notification can be shown"*) ;;
    *) echo "tessaly-report --notify exited with $code: $said"; exit 1 ;;
esac

# The calendar sync: its help, and the timer's run without an account, which
# does nothing and succeeds; without --if-account that is status 3.
case $(tessaly-sync --help) in
    *"--set-account"*) ;;
    *) echo "tessaly-sync --help printed no help"; exit 1 ;;
esac
tessaly-sync --quiet --if-account
code=0
tessaly-sync 2> /dev/null || code=$?
[ "$code" = 3 ] || { echo "tessaly-sync without an account exited with $code, not 3"; exit 1; }

# Whatever stops this, the program's own words go with it.
trap 'code=$?; if [ $code -ne 0 ] && [ -f "$HOME/tessaly.log" ]; then
    echo "--- what tessaly said"; cat "$HOME/tessaly.log"; fi' EXIT

# Waits up to ten seconds for the active window to be, or not to be, $2;
# "is" asks the window manager for it again meanwhile.
active() {
    for _ in $(seq 50); do
        if [ "$1" = is ]; then
            xdotool windowactivate "$2" 2> /dev/null || true
        fi
        now=$(xdotool getactivewindow 2> /dev/null || true)
        if { [ "$1" = is ] && [ "$now" = "$2" ]; } || { [ "$1" = not ] && [ "$now" != "$2" ]; }; then
            return 0
        fi
        sleep 0.2
    done
    echo "the active window never became '$1 $2'"
    return 1
}

openbox > /dev/null 2>&1 &
for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q window && break
    sleep 0.2
done
# Openbox names itself before it takes map requests: a window shown in that
# moment is never managed nor mapped (half the starts here). Its desktop
# session would have had it running long before.
sleep 2
tessaly > "$HOME/tessaly.log" 2>&1 &
program=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --class tessaly | head -n 1)
if [ -z "$window" ]; then
    # What a failure here needs to be understood: did the program end, hang,
    # or show a window of another name?
    if kill -0 "$program" 2> /dev/null; then
        echo "no Tessaly window appeared in 60 s; the program still runs:"
        ps -o pid,stat,wchan:32,etime,args -p "$program" || true
        xwininfo -root -tree 2> /dev/null | grep -v '(has no name)' | head -n 40 || true
    else
        code=0
        wait "$program" || code=$?
        echo "Tessaly ended with status $code before its window appeared"
    fi
    exit 1
fi
active is "$window"
# Data -> Add by keyboard (the File menu by its mnemonic, then across to
# Data, whose first item is Add); in the dialog the name has the focus, then
# Tab to the event type, then OK. Add saves the list at once.
xdotool key --delay 200 alt+f Right Return
active not "$window"
xdotool type --delay 50 "Juniper Example"
xdotool key Tab
xdotool type --delay 50 "Birthday"
xdotool key --delay 100 Tab space
active is "$window"
# Closed as by the window's close button: the window manager asks it to close.
xdotool key alt+F4
for _ in $(seq 50); do
    kill -0 "$program" 2> /dev/null || break
    sleep 0.2
done
if kill -0 "$program" 2> /dev/null; then
    xdotool search --onlyvisible --class tessaly getwindowname %@ || true
    kill "$program"
    echo "Tessaly did not close"
    exit 1
fi
code=0
wait "$program" || code=$?
if [ "$code" -ne 0 ]; then
    echo "Tessaly exited with $code"
    exit 1
fi

status=0
data=$HOME/.local/share/tessaly/Tessaly.dat
settings=$HOME/.config/tessaly/Tessaly.ini
if ! grep -q "Juniper Example" "$data" 2> /dev/null; then
    echo "the new entry was not saved to $data"
    status=1
fi
if [ ! -s "$settings" ]; then
    echo "the settings were not saved to $settings"
    status=1
fi
find "$HOME" -name 'Tessaly.*'
exit $status
EOF
chmod 755 "$home/use.sh"
"${user[@]}" env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 \
    xvfb-run -a -s "-screen 0 1280x1024x24" sh "$home/use.sh" ||
    fail "the installed program did not start, save and close as it should"

echo "--- remove"
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get remove -y -qq tessaly > /dev/null
installed_here=false
if dpkg-query -W -f='${Status}\n' tessaly 2> /dev/null | grep -q " installed$"; then
    fail "tessaly is still installed"
fi
for left in /usr/bin/tessaly /usr/bin/tessaly-report /usr/share/tessaly /usr/libexec/tessaly \
    /usr/lib/systemd/user/tessaly-notify.timer \
    /usr/share/applications/org.example.Tessaly.desktop; do
    [[ ! -e $left ]] || fail "$left is still there after the removal"
done
"${sudo[@]}" rm -rf "$home"

echo "package-check: passed in $((SECONDS - started)) s"
