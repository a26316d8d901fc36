#!/bin/sh
# Installs the build into a fresh prefix and checks what lands where: the
# menu, the icon theme and man find their files only in these folders.
#   check_install.sh CMAKE BUILD_FOLDER [FILE]...
# The FILEs, relative to the prefix, are expected besides the usual ones.
set -eu
cmake=$1
build=$2
shift 2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix" > /dev/null

id=org.example.Tessaly
sizes="16 24 32 48 64 128 256"
{
    echo bin/tessaly
    echo bin/tessaly-report
    echo lib/systemd/user/tessaly-notify.service
    echo lib/systemd/user/tessaly-notify.timer
    echo libexec/tessaly/tessaly-notify
    echo share/applications/$id.desktop
    echo share/metainfo/$id.metainfo.xml
    echo share/icons/hicolor/scalable/apps/$id.svg
    for size in $sizes; do
        echo share/icons/hicolor/${size}x$size/apps/$id.png
    done
    echo share/man/man1/tessaly.1
    echo share/man/man1/tessaly-report.1
    echo share/tessaly/catalog.txt
    echo share/tessaly/tessaly.txt
    for file in "$@"; do
        echo "$file"
    done
} | sort > "$prefix/expected"
(cd "$prefix" && find bin lib libexec share -type f | sort) > "$prefix/installed"
if ! diff -u "$prefix/expected" "$prefix/installed"; then
    echo "check_install: the installed files differ from the expected ones (- expected, + installed)"
    exit 1
fi

# A PNG's width and height are the big-endian words at bytes 16 and 20.
failed=0
for size in $sizes; do
    png=$prefix/share/icons/hicolor/${size}x$size/apps/$id.png
    dimensions=$(od -An -tu1 -j16 -N8 "$png" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
    if [ "$dimensions" != "${size}x$size" ]; then
        echo "check_install: $png is $dimensions"
        failed=1
    fi
done

# The menu entry must name what was installed.
entry=$prefix/share/applications/$id.desktop
for key in Exec TryExec; do
    program=$(sed -n "s/^$key=\([^ ]*\).*/\1/p" "$entry")
    if [ ! -x "$prefix/bin/$program" ]; then
        echo "check_install: $key=$program is not an installed program"
        failed=1
    fi
done
if [ "$(sed -n 's/^Icon=//p' "$entry")" != "$id" ]; then
    echo "check_install: the menu entry does not name the installed icon $id"
    failed=1
fi
launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' \
    "$prefix/share/metainfo/$id.metainfo.xml")
if [ "$launchable" != "$id.desktop" ]; then
    echo "check_install: the metadata launches '$launchable', not the installed entry"
    failed=1
fi
exit $failed
