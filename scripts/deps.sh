#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing the panel need.
# Run as root it installs what is missing; otherwise it names what is missing.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev
    fonts-crosextra-carlito fonts-liberation2
    clang libclang-rt-14-dev valgrind
    xvfb xdotool openbox x11-utils imagemagick xdg-utils
    dbus-daemon at-spi2-core python3-gi gir1.2-atspi-2.0
    dpkg-dev file desktop-file-utils appstream python3
    groff-base systemd
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages: ${missing[*]}" >&2
    echo "Install them with: sudo apt-get install ${missing[*]}" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
