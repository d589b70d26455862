#!/usr/bin/env bash
# Redraws the window's pictures, its icon and the desktop's icons (resources/icons/) into
# resources/ and shows what was written.
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
for f in icons/hicolor/*/apps/dawnbell.png; do
    printf '%s: %s bytes\n' "$f" "$(stat -c %s "$f")"
done
