#!/usr/bin/env bash
# Fails when the window links a library that only its modules may load: the
# calendar sync's HTTP, TLS, XML and secret store, and Qt's print support.
#   window_links.sh linux|windows TOOL WINDOW
set -euo pipefail
system=$1 tool=$2 window=$3
if [[ $system == linux ]]; then
    needed=$("$tool" -d "$window" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
    forbidden='^(libcurl|libxml2|libssl|libcrypto|libsecret|libgio|libgobject|libQt6PrintSupport)'
else
    needed=$("$tool" -p "$window" | sed -n 's/^\s*DLL Name: //p')
    forbidden='^(Qt6PrintSupport|winhttp|xmllite)'
fi
if [[ -z $needed ]]; then
    echo "window_links: no libraries listed for $window" >&2
    exit 1
fi
if found=$(grep -iE "$forbidden" <<<"$needed"); then
    echo "window_links: $window links what its modules should load:" >&2
    echo "$found" >&2
    exit 1
fi
echo "window_links: $(wc -l <<<"$needed") libraries, none of the modules'"
