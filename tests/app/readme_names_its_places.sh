#!/usr/bin/env bash
# The readme the Help menu opens names the places of the system it was built
# for, and every placeholder of its template is filled.
#   readme_names_its_places.sh README windows|linux
set -euo pipefail
readme=$1
if [[ $2 == windows ]]; then
    wanted='%APPDATA%\Tessaly'
    foreign='~/|XDG|Debian|\.config'
else
    wanted='~/.local/share/tessaly'
    foreign='APPDATA|Program Files|setup program'
fi
status=0
if ! grep -qF "$wanted" "$readme"; then
    echo "$readme does not name $wanted" >&2
    status=1
fi
if grep -nE "$foreign|@" "$readme" >&2; then
    echo "$readme names another system's places, or a placeholder: the lines above" >&2
    status=1
fi
exit $status
