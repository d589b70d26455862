#!/usr/bin/env bash
# Builds the Debian package as scripts/package.sh does, in a build folder without tests, and
# checks it: lintian finds nothing to report, it depends on the fonts the layout is drawn with,
# it holds the licence, the changelog and a man page per program, the programs, a valid desktop
# entry and AppStream entry, the icon at every theme size, depends on Debian's Qt, and its
# programs start.
# check-package.sh SOURCE-FOLDER PACKAGE-BUILD-FOLDER TST_LOOKS
# With DAWNBELL_PACKAGE_ARCH naming another architecture (as scripts/package.sh takes it), the
# package is built for that one, and its programs and TST_LOOKS, built for it too, run under
# qemu-user.
set -euo pipefail
root=$1
looks=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
arch=${DAWNBELL_PACKAGE_ARCH:-$(dpkg --print-architecture)}
run=()
if [ "$arch" != "$(dpkg --print-architecture)" ]; then
    run=("qemu-$(dpkg-architecture -a"$arch" -qDEB_HOST_GNU_CPU 2>/dev/null)-static")
fi

deb=$(DAWNBELL_PACKAGE_BUILD_DIR=$2 "$root/scripts/package.sh" | tail -n 1)
[ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] \
    || { echo "the package is for $(dpkg-deb -f "$deb" Architecture), not $arch"; exit 1; }
# The programs among the build folder's targets (not whatever an older configuration left).
targets=$(sed -n 's|.*/CMakeFiles/\(.*\)\.dir$|\1|p' "$2/CMakeFiles/TargetDirectories.txt")
# preparepictures runs in the build, which compiles the window's pictures in; it is not shipped,
# and a cross build takes the machine's own (scripts/host-tools.sh) instead of building it.
built=$(find "$2" \( -name CMakeFiles -o -name _CPack_Packages \) -prune -o -type f -perm -u+x \
        -printf '%f\n' | grep -xF "$targets" | grep -vx preparepictures | sort | xargs)
[ "$built" = "dawnbell dawnbell-send dawnbell-sim" ] \
    || { echo "the package build's programs are not the three it ships: $built"; exit 1; }

# Every hint lintian may still give, with the reason it stays.
kept=(
    # The package is built outside Debian's archive: no intent-to-package bug to close
    # (an override in the package says so).
    "O: dawnbell: initial-upload-closes-no-bugs"
)
if ! report=$(lintian --fail-on none --display-info --show-overrides "$deb" 2>&1); then
    echo "lintian: $report"
    exit 1
fi
while read -r line; do
    case "$line" in E:* | W:* | I:* | O:*) ;; *) continue ;; esac
    hint=${line%% \[*}
    printf '%s\n' "${kept[@]}" | grep -qxF -- "$hint" || { echo "lintian: $line"; exit 1; }
done <<<"$report"

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
# What ldd prints, asked of the program's own loader (which ldd cannot run for another
# architecture).
libraries=$(LD_TRACE_LOADED_OBJECTS=1 "${run[@]}" "$work/root/usr/bin/dawnbell")
if grep -q 'not found' <<<"$libraries"; then
    echo "$libraries"; exit 1
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
"${run[@]}" "$work/root/usr/bin/dawnbell-sim" --help | grep -q -- '--port'
# The menu's command line must be one the panel accepts; --help ends it before the window.
read -r -a exec_words <<<"$(sed -n 's/^Exec=//p' "$work/root/usr/share/applications/dawnbell.desktop")"
[ "${exec_words[0]}" = dawnbell ] || { echo "desktop entry runs ${exec_words[0]}"; exit 1; }
XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen \
    "${run[@]}" "$work/root/usr/bin/dawnbell" "${exec_words[@]:1}" --help >/dev/null

# dawnbell-send and its systemd user units (shipped disabled: no enabling links).
units=./usr/lib/systemd/user
for path in ./usr/bin/dawnbell-send $units/dawnbell-sync.service $units/dawnbell-sync.timer; do
    grep -q " $path\$" <<<"$contents" || { echo "missing from package: $path"; exit 1; }
done
if grep -q '\.wants/' <<<"$contents"; then echo "package enables a unit"; exit 1; fi
version=$("${run[@]}" "$work/root/usr/bin/dawnbell-send" --version)
grep -Eqx 'dawnbell-send [0-9]+\.[0-9]{2}' <<<"$version" || { echo "dawnbell-send: $version"; exit 1; }
grep -q '^ExecStart=/usr/bin/dawnbell-send .*time$' "$work/root/$units/dawnbell-sync.service" \
    || { echo "the service does not run the installed dawnbell-send"; exit 1; }
# A man page per program, compressed, that mandoc and groff read without a warning.
for program in "$work"/root/usr/bin/*; do
    page=$work/root/usr/share/man/man1/$(basename "$program").1.gz
    gzip -t "$page" || { echo "no compressed man page for $program"; exit 1; }
    zcat "$page" >"$work/page.1"
    mandoc -T lint -W warning "$work/page.1" || { echo "mandoc: $page"; exit 1; }
    warnings=$(groff -man -ww -z "$work/page.1" 2>&1)
    [ -z "$warnings" ] || { echo "man page $page: $warnings"; exit 1; }
done

# The licence's terms, in Debian's copyright format.
diff <(sed -n '/^License: Expat$/,$p' "$work/root/usr/share/doc/dawnbell/copyright" \
           | sed '1d; s/^ //; s/^\.$//') <(sed '1,/^Copyright/d' "$root/LICENSE" | sed '1d') \
    || { echo "the copyright file does not hold LICENSE's terms"; exit 1; }

# With only the fonts of the packages it depends on, no caption is cut.
# One package at a time: on a machine with a second architecture, `dpkg -L libc6` is ambiguous
# and fails, and only the font packages' files matter here.
fontDirs=$(dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/ *(.*//; s/ //g' \
           | while read -r package; do dpkg -L "$package" 2>/dev/null || true; done \
           | grep -E '\.(ttf|otf)$' | xargs -r -n1 dirname | sort -u)
[ -n "$fontDirs" ] || { echo "the package depends on no font"; exit 1; }
{
    echo '<?xml version="1.0"?><!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">'
    echo "<fontconfig><cachedir>$work/fontcache</cachedir>"
    printf '<dir>%s</dir>\n' $fontDirs
    echo '<include ignore_missing="yes">/etc/fonts/conf.d</include></fontconfig>'
} >"$work/fonts.conf"
FONTCONFIG_FILE=$work/fonts.conf XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen \
    "${run[@]}" "$looks" >"$work/looks.log" 2>&1 || { cat "$work/looks.log"; exit 1; }

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
