#!/usr/bin/env bash
# Installs the Debian packages a task needs: deps.sh [SET...], where SET is
#   run       building the programs and running them on a display (scripts/run.sh)
#   headless  running the panel without a display, in a virtual X server
#   package   building and checking the Debian package (scripts/package.sh)
#   test      everything the test suite needs (scripts/test.sh); the default
#   windows   cross-building, packaging and testing for Windows (scripts/build-windows.sh)
#   arm64     cross-building for 64-bit ARM and testing under emulation (scripts/build-arm64.sh)
# Run as root it installs what is missing; otherwise it names what is missing.
set -euo pipefail

run=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev
    fonts-crosextra-carlito fonts-liberation2
)
headless=(xvfb xauth)
package=(
    dpkg-dev file lintian mandoc desktop-file-utils appstream imagemagick
    groff-base systemd
)
test=(
    "${run[@]}" "${headless[@]}" "${package[@]}"
    clang libclang-rt-14-dev valgrind qt6-l10n-tools
    xdotool openbox x11-utils xdg-utils
    dbus-daemon at-spi2-core python3-gi gir1.2-atspi-2.0 python3 iproute2
)
windows=(
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 cmake ninja-build
    nsis wine wine64 zip libxml2-utils iproute2 xvfb openbox x11-utils
)
# Debian's own arm64 Qt beside the machine's (named PACKAGE:arm64), the cross compilers, and
# qemu-user to run the arm64 programs here.
arm64=(
    crossbuild-essential-arm64 qemu-user-static
    qt6-base-dev:arm64 libgl-dev:arm64 libxcb1-dev:arm64
)

packages=()
for set in "${@:-test}"; do
    case "$set" in
        run) packages+=("${run[@]}") ;;
        headless) packages+=("${headless[@]}") ;;
        package) packages+=("${run[@]}" "${package[@]}") ;;
        test) packages+=("${test[@]}") ;;
        windows) packages+=("${windows[@]}") ;;
        arm64) packages+=("${arm64[@]}") ;;
        *) echo "deps.sh: unknown set '$set' (run, headless, package, test, windows or arm64)" >&2
           exit 2 ;;
    esac
done

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

# Another architecture's packages can be installed only once dpkg knows that architecture.
for p in "${missing[@]}"; do
    arch=${p##*:}
    if [ "$arch" != "$p" ] && ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
        dpkg --add-architecture "$arch"
    fi
done
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
