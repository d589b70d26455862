#!/usr/bin/env bash
# Redraws the window's pictures and icon into resources/ and shows what was written.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DAWNBELL_BUILD_DIR:-$root/build}

cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" --target makepictures
QT_QPA_PLATFORM=offscreen "$build/tools/pictures/makepictures" "$root/resources"

cd "$root/resources"
for f in logo.jpg screen1.jpg screen2.bmp dawnbell.ico; do
    printf '%s: %s bytes\n' "$f" "$(stat -c %s "$f")"
    if command -v file >/dev/null; then file -b "$f"; fi
    if command -v identify >/dev/null; then identify -verbose "$f" 2>/dev/null \
        | grep -E '^ *(Geometry|Resolution|Interlace|Type|Depth|Colors):' || true; fi
done

# Desktops want the icon as PNG for the application menu.
if command -v convert >/dev/null; then
    convert 'dawnbell.ico[0]' -define png:color-type=6 dawnbell.png
fi
