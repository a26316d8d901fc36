#!/usr/bin/env bash
# The window as users who cannot see it or use no mouse meet it, and under a
# Wayland compositor: what a screen reader reads in every window (AT-SPI),
# an entry added, edited, deleted and restored with keys alone (xdotool), and
# a run under weston. Each scenario gets a desktop of its own; Debian's own
# Python has the AT-SPI bindings.
#   desktop-check.sh [BUILD_DIRECTORY]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
program="${1:-build}/bin/tessaly"
desktop=tests/app/desktop
for scenario in read_every_window keyboard_only under_wayland; do
    echo "--- ${scenario}"
    timeout 300 "$desktop/on_accessible_desktop.sh" "$program" \
        /usr/bin/python3 "$desktop/${scenario}.py" 2> >(grep -v 'Failed to set fd limit' >&2)
done
