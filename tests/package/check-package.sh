#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks that it holds the programs, the
# desktop entry and the icon, depends on Debian's Qt, and that its programs start.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" >/dev/null)
deb=$(ls "$work"/*.deb)

contents=$(dpkg-deb -c "$deb")
for path in ./usr/bin/dawnbell ./usr/bin/dawnbell-sim \
            ./usr/share/applications/dawnbell.desktop \
            ./usr/share/icons/hicolor/32x32/apps/dawnbell.png; do
    grep -q " $path\$" <<<"$contents" || { echo "missing from package: $path"; exit 1; }
done

depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libqt6widgets6' <<<"$depends" || { echo "no Qt dependency: $depends"; exit 1; }

dpkg-deb -x "$deb" "$work/root"
if ldd "$work/root/usr/bin/dawnbell" | grep -q 'not found'; then
    ldd "$work/root/usr/bin/dawnbell"; exit 1
fi
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$work/root/usr/share/applications/dawnbell.desktop"
fi
"$work/root/usr/bin/dawnbell-sim" --help | grep -q -- '--port'
echo "package ok: $(basename "$deb")"
