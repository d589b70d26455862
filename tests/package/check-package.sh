#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks that it holds the programs, a valid
# desktop entry and AppStream entry, the icon at every theme size, depends on Debian's Qt, and
# that its programs start.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" >/dev/null)
deb=$(ls "$work"/*.deb)

contents=$(dpkg-deb -c "$deb")
icons=()
for size in 16 24 32 48 64 128 256; do
    icons+=("./usr/share/icons/hicolor/${size}x${size}/apps/dawnbell.png")
done
for path in ./usr/bin/dawnbell ./usr/bin/dawnbell-sim \
            ./usr/share/applications/dawnbell.desktop \
            ./usr/share/metainfo/local.dawnbell.dawnbell.metainfo.xml "${icons[@]}"; do
    grep -q " $path\$" <<<"$contents" || { echo "missing from package: $path"; exit 1; }
done

depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libqt6widgets6' <<<"$depends" || { echo "no Qt dependency: $depends"; exit 1; }

dpkg-deb -x "$deb" "$work/root"
if ldd "$work/root/usr/bin/dawnbell" | grep -q 'not found'; then
    ldd "$work/root/usr/bin/dawnbell"; exit 1
fi
desktop-file-validate "$work/root/usr/share/applications/dawnbell.desktop"
# The tree check also finds the desktop entry the metainfo names as its launchable.
appstreamcli validate-tree --no-net "$work/root"
for icon in "${icons[@]}"; do
    size=${icon#./usr/share/icons/hicolor/}
    size=${size%%x*}
    [ "$(identify -format '%wx%h' "$work/root/$icon")" = "${size}x${size}" ] \
        || { echo "$icon is not ${size}x${size}"; exit 1; }
done
"$work/root/usr/bin/dawnbell-sim" --help | grep -q -- '--port'
# The menu's command line must be one the panel accepts; --help ends it before the window.
read -r -a exec_words <<<"$(sed -n 's/^Exec=//p' "$work/root/usr/share/applications/dawnbell.desktop")"
[ "${exec_words[0]}" = dawnbell ] || { echo "desktop entry runs ${exec_words[0]}"; exit 1; }
XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen \
    "$work/root/usr/bin/dawnbell" "${exec_words[@]:1}" --help >/dev/null

# dawnbell-send, its man page and its systemd user units (shipped disabled: no enabling links).
units=./usr/lib/systemd/user
for path in ./usr/bin/dawnbell-send ./usr/share/man/man1/dawnbell-send.1 \
            $units/dawnbell-sync.service $units/dawnbell-sync.timer; do
    grep -q " $path\$" <<<"$contents" || { echo "missing from package: $path"; exit 1; }
done
if grep -q '\.wants/' <<<"$contents"; then echo "package enables a unit"; exit 1; fi
version=$("$work/root/usr/bin/dawnbell-send" --version)
grep -Eqx 'dawnbell-send [0-9]+\.[0-9]{2}' <<<"$version" || { echo "dawnbell-send: $version"; exit 1; }
grep -q '^ExecStart=/usr/bin/dawnbell-send .*time$' "$work/root/$units/dawnbell-sync.service" \
    || { echo "the service does not run the installed dawnbell-send"; exit 1; }
if command -v groff >/dev/null; then
    warnings=$(groff -man -ww -z "$work/root/usr/share/man/man1/dawnbell-send.1" 2>&1)
    [ -z "$warnings" ] || { echo "man page: $warnings"; exit 1; }
fi
if command -v systemd-analyze >/dev/null; then
    # verify looks for the program at its installed path; point it at the unpacked one.
    mkdir -p "$work/units" "$work/runtime"
    sed "s#/usr/bin/dawnbell-send#$work/root/usr/bin/dawnbell-send#" \
        "$work/root/$units/dawnbell-sync.service" >"$work/units/dawnbell-sync.service"
    cp "$work/root/$units/dawnbell-sync.timer" "$work/units/"
    chmod 700 "$work/runtime"
    report=$(XDG_RUNTIME_DIR=$work/runtime systemd-analyze --user verify --man=no \
        "$work/units/dawnbell-sync.timer" "$work/units/dawnbell-sync.service" 2>&1) \
        || { echo "systemd-analyze verify: $report"; exit 1; }
    [ -z "$report" ] || { echo "systemd-analyze verify: $report"; exit 1; }
fi
echo "package ok: $(basename "$deb")"
