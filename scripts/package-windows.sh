#!/usr/bin/env bash
# Builds Tessaly for 64-bit Windows with the shared Qt for mingw-w64 and packs
# it twice: the portable zip and the installer.
#   bash scripts/package-windows.sh [build folder]
# Writes Tessaly-1.0f-windows-x64.zip and Tessaly-1.0f-windows-x64-setup.exe
# into the build folder (build-windows by default). Needs what
# scripts/build-windows.sh needs, and the packages nsis and zip.
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
x86_64-w64-mingw32-strip "$stage/Tessaly.exe" "$stage/tessaly-report.exe" \
    "$stage/tessaly-sync-module.dll" "$stage/tessaly-print-module.dll"

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
