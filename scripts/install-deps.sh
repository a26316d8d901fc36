#!/usr/bin/env bash
# Installs the Debian 12 packages Tessaly needs to build, run and test, and
# any further packages named as arguments (CI adds the fuzzers' clang).
# Safe to run again: it only asks apt for what is missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang-format
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libical-dev  # reads the calendar export in the tests
    libcurl4-openssl-dev libxml2-dev libssl-dev  # the calendar server client
    libsecret-1-dev  # the calendar account's password in the desktop's secret store
    radicale xandikos python3-caldav vdirsyncer khal  # two real calendar servers and other clients for their tests
    fonts-liberation fontconfig locales
    xvfb xauth xdotool x11-utils openbox imagemagick poppler-utils desktop-file-utils
    librsvg2-bin  # draws the icon at each size
    dbus-daemon   # a private session bus for the notification tests
    python3-yaml python3-jsonschema  # the winget manifest's check
    gnome-keyring # a real secret store for its tests
    qt6-wayland weston            # the window on a Wayland desktop, and its check
    python3-pyatspi at-spi2-core  # what a screen reader reads, and its check
    "$@"
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

# Tests pin these locales to check dates and numbers under other regional
# settings.
locales=(en_GB.UTF-8 de_DE.UTF-8)

sudo=()
if ((EUID != 0)); then
    sudo=(sudo)
fi

if ((${#missing[@]} > 0)); then
    echo "install-deps: installing ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi

for locale in "${locales[@]}"; do
    normalised="$(echo "$locale" | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')"
    if ! locale -a 2>/dev/null | tr 'A-Z' 'a-z' | grep -qx "$normalised"; then
        echo "install-deps: generating locale $locale"
        "${sudo[@]}" sed -i "s/^# *\(${locale} UTF-8\)/\1/" /etc/locale.gen
        grep -q "^${locale} UTF-8" /etc/locale.gen ||
            echo "${locale} UTF-8" | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
        "${sudo[@]}" locale-gen >/dev/null
    fi
done
echo "install-deps: everything is installed"
