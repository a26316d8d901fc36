#!/usr/bin/env bash
# Builds Tessaly for 64-bit Windows with the shared Qt for mingw-w64 and packs
# it twice: the portable zip and the installer.
#   bash scripts/package-windows.sh [build folder]
# Writes Tessaly-1.0f-windows-x64.zip, Tessaly-1.0f-windows-x64-setup.exe and
# their winget manifest (winget/1.0f) into the build folder (build-windows by
# default). Needs what scripts/build-windows.sh needs, and the packages nsis,
# zip and python3-yaml.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-windows}
bash scripts/build-windows.sh "$build"

name=Tessaly-1.0f-windows-x64
package="$build/package"
stage="$package/$name"
rm -rf "$package"
mkdir -p "$stage"
# The programs, the DLLs and plugins they load, the texts the Help menu
# opens (as the build lists them), and Qt's licence texts, which the LGPL
# asks to ship with its DLLs.
while read -r file; do
    [[ -n "$file" ]] || continue
    mkdir -p "$stage/$(dirname "$file")"
    cp "$build/bin/$file" "$stage/$file"
done < "$build/windows-bundle.txt"
cp -r "$(head -n 1 "$build/windows-licences.txt")" "$stage/LICENSES"
# Every program and library the bundle names, whatever the build adds to it.
find "$stage" -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0 |
    xargs -0 x86_64-w64-mingw32-strip
# The user's list and settings never ship: unzipped over an older portable
# folder, the new version would replace them, and the installer would list
# them among the files its uninstaller deletes.
user_files=$(find "$stage" -type f \( -iname 'Tessaly.dat' -o -iname 'Tessaly.ini' \))
if [[ -n "$user_files" ]]; then
    echo "package-windows: the stage holds the user's files: $user_files" >&2
    exit 1
fi

rm -f "$build/$name.zip"
(cd "$stage" && zip -qrX9 "$OLDPWD/$build/$name.zip" .)
echo "package-windows: $build/$name.zip ($(du -k "$build/$name.zip" | cut -f1) KiB)"

# The uninstaller removes exactly these files and then the emptied folders.
files_nsh="$package/files.nsh"
dirs_nsh="$package/dirs.nsh"
(cd "$stage" && find . -type f | sed 's|^\./||' | sort) |
    sed 's|/|\\|g; s|^\(.*\)$|    Delete "$INSTDIR\\\1"|' > "$files_nsh"
(cd "$stage" && find . -mindepth 1 -type d | sed 's|^\./||' | sort -r) |
    sed 's|/|\\|g; s|^\(.*\)$|    RMDir "$INSTDIR\\\1"|' > "$dirs_nsh"
makensis -V2 -DSOURCE_DIR="$(realpath "$stage")" -DFILE_LIST="$(realpath "$files_nsh")" \
    -DDIR_LIST="$(realpath "$dirs_nsh")" -DOUT_FILE="$(realpath "$build")/$name-setup.exe" \
    -DICON="$(realpath "$build/data/icons/tessaly.ico")" packaging/windows/tessaly.nsi
echo "package-windows: $build/$name-setup.exe ($(du -k "$build/$name-setup.exe" | cut -f1) KiB)"

# The winget manifest of both downloads, with their checksums, checked
# against winget's rules and the files it names. TESSALY_RELEASE_URL is where
# the release publishes them.
release_url=${TESSALY_RELEASE_URL:-https://tessaly.example.org/download/1.0f}
manifest="$build/winget/1.0f"
rm -rf "$build/winget"
mkdir -p "$manifest"
setup_sha=$(sha256sum "$build/$name-setup.exe" | cut -d' ' -f1)
zip_sha=$(sha256sum "$build/$name.zip" | cut -d' ' -f1)
for file in packaging/winget/1.0f/*.yaml; do
    sed -e "s|@RELEASE_URL@|$release_url|g" -e "s|@SETUP_SHA256@|${setup_sha^^}|g" \
        -e "s|@ZIP_SHA256@|${zip_sha^^}|g" "$file" > "$manifest/$(basename "$file")"
done
python3 scripts/check-winget-manifest.py "$manifest" --files "$build"
echo "package-windows: $manifest"
