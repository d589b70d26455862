#!/usr/bin/env bash
# Builds Qt 6.4.2 for 64-bit Windows (x86_64-w64-mingw32) from Debian's own qtbase source,
# with only what Dawnbell uses: Core, Gui, Widgets, Network, Test, the Windows platform
# plugin and the JPEG and ICO image readers. Shared libraries, release, no examples or tests.
#
# The result goes to a cache folder outside the work tree (DAWNBELL_WINDOWS_QT, by default
# /var/cache/dawnbell/qt-6.4.2-mingw64); when that folder is complete this does nothing.
# Run as root on Debian 12: it adds a deb-src entry for the apt source the host Qt came from
# and installs the cross compilers and the host Qt of the same version.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
qt_version=6.4.2
prefix=${DAWNBELL_WINDOWS_QT:-/var/cache/dawnbell/qt-$qt_version-mingw64}
work=${DAWNBELL_WINDOWS_QT_WORK:-/var/cache/dawnbell/qt-$qt_version-work}
jobs=${DAWNBELL_JOBS:-$(nproc)}

if [ -f "$prefix/.complete" ]; then
    echo "Qt $qt_version for Windows is in $prefix"
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "Building Qt for Windows needs root (Debian packages and $prefix)." >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq --no-install-recommends qt6-base-dev >/dev/null

# The source of qt6-base comes from wherever this machine got the host Qt (a mirror, a proxy,
# another suite): the deb-src entry repeats that origin's URI, suite, component and key.
deb_src_entry() {
    local origin uri dist signed_by
    origin=$(apt-cache policy qt6-base-dev \
        | awk '/^ \*\*\* /{installed=1; next} installed && /^ +[0-9]+ [a-z]+:/{print $2, $3; exit}')
    if [ -z "$origin" ]; then
        echo "windows-qt.sh: no apt source serves the installed qt6-base-dev" >&2
        return 1
    fi
    read -r uri dist <<<"$origin"
    signed_by=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null \
        | awk -v RS= -v uri="$uri" 'index($0, uri) && match($0, /Signed-By: *[^\n]+/) {
              print substr($0, RSTART + 10, RLENGTH - 10); exit }' | sed 's/^ *//')
    echo "Types: deb-src"
    echo "URIs: $uri"
    echo "Suites: ${dist%%/*}"
    echo "Components: ${dist#*/}"
    [ -z "$signed_by" ] || echo "Signed-By: $signed_by"
}
sources=/etc/apt/sources.list.d/dawnbell-deb-src.sources
if [ ! -f "$sources" ]; then
    entry=$(deb_src_entry)
    printf '%s\n' "$entry" >"$sources"
fi
apt-get update -qq
apt-get install -y -qq --no-install-recommends \
    dpkg-dev cmake ninja-build perl \
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
    qt6-base-dev qt6-base-dev-tools >/dev/null

mkdir -p "$work"
cd "$work"
src=$(find . -maxdepth 1 -type d -name "qt6-base-$qt_version*" | head -n 1)
if [ -z "$src" ]; then
    # The same source version as the host Qt; dpkg-source applies Debian's patches as it unpacks.
    # The machine's own architecture: with arm64's Qt installed beside it, the bare name
    # matches both and prints the version twice.
    version=$(dpkg-query -W -f='${source:Version}' "qt6-base-dev:$(dpkg --print-architecture)")
    apt-get source -qq "qt6-base=$version" >/dev/null
    src=$(find . -maxdepth 1 -type d -name "qt6-base-$qt_version*" | head -n 1)
fi
src=$(cd "$src" && pwd)

rm -rf "$prefix"
mkdir -p "$work/build"
cd "$work/build"
# A build that was stopped part way (a CI run that ended first) goes on where it stopped:
# the configuration is kept once it has written its build file.
if [ ! -f build.ninja ] || [ ! -f .configured ]; then
    rm -rf "$work/build"/* "$work/build"/.[!.]*
    # Debian's tarball leaves out the tablet-input headers the Windows plugin would include;
    # Debian keeps the host Qt's CMake files under the multiarch folder. Qt 6.4 builds its
    # DirectWrite font database only along with Direct2D, but the Windows plugin still asks
    # for it: without the one, the other goes too (GDI's font database serves by default).
    "$src/configure" -prefix "$prefix" -xplatform win32-g++ -qt-host-path /usr \
        -release -shared -nomake examples -nomake tests \
        -no-opengl -no-dbus -no-icu -no-openssl -no-feature-ssl \
        -qt-zlib -qt-pcre -qt-libpng -qt-libjpeg -qt-harfbuzz -qt-freetype \
        -no-feature-tabletevent -no-feature-sql -no-feature-printsupport \
        -no-feature-concurrent -no-feature-xml -no-feature-gif \
        -no-feature-direct2d -no-feature-directwrite3 -no-feature-tuiotouch \
        -- -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    touch .configured
fi
nice -n 19 cmake --build . --parallel "$jobs"
cmake --install .
touch "$prefix/.complete"
echo "Qt $qt_version for Windows is in $prefix"
