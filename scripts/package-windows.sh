#!/usr/bin/env bash
# Makes the Windows installer Dawnbell-<version>-win64-setup.exe (NSIS) and a zip of the same
# files, in build-win/package/: dawnbell.exe, dawnbell-send.exe, dawnbell-sim.exe, the Task
# Scheduler definition, and the Qt and MinGW libraries and Qt plugins the programs load, in the
# folders where Qt looks for them beside the programs. Builds first (scripts/build-windows.sh).
#
# Then checks the installer under Wine, in a network namespace with loopback only: a silent
# install, the installed panel showing its window from the installed folder and ending when
# it is closed, and a silent uninstall that leaves nothing behind. --no-check skips that.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export DAWNBELL_WINDOWS_QT=${DAWNBELL_WINDOWS_QT:-/var/cache/dawnbell/qt-6.4.2-mingw64}
export DAWNBELL_WINDOWS_BUILD_DIR=${DAWNBELL_WINDOWS_BUILD_DIR:-$root/build-win}
build=$DAWNBELL_WINDOWS_BUILD_DIR
qt=$DAWNBELL_WINDOWS_QT
mingw_runtime=(/usr/lib/gcc/x86_64-w64-mingw32/12-posix/libstdc++-6.dll
               /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libgcc_s_seh-1.dll
               /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll)
qt_libraries=(Qt6Core Qt6Gui Qt6Widgets Qt6Network)
qt_plugins=(platforms/qwindows imageformats/qjpeg imageformats/qico styles/qwindowsvistastyle)

"$root/scripts/build-windows.sh" dawnbell dawnbell-send dawnbell-sim

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=Dawnbell-$version-win64
out=$build/package
stage=$out/$name
rm -rf "$out"
mkdir -p "$stage"

for program in dawnbell dawnbell-send dawnbell-sim; do
    x86_64-w64-mingw32-strip -o "$stage/$program.exe" "$build/$program.exe"
done
cp "$build/tools/send/dawnbell-sync.xml" "$stage/"
cp "${mingw_runtime[@]}" "$stage/"
for library in "${qt_libraries[@]}"; do
    cp "$qt/bin/$library.dll" "$stage/"
done
for plugin in "${qt_plugins[@]}"; do
    mkdir -p "$stage/$(dirname "$plugin")"
    cp "$qt/plugins/$plugin.dll" "$stage/$plugin.dll"
done

# The uninstaller removes exactly these files, and then the folders they emptied.
files=$out/files.nsh
(cd "$stage" && find . -type f | sed 's|^\./||' | sort | while read -r file; do
    printf 'Delete "$INSTDIR\\%s"\n' "${file//\//\\}"
done
cd "$stage" && find . -mindepth 1 -type d | sed 's|^\./||' | sort -r | while read -r dir; do
    printf 'RMDir "$INSTDIR\\%s"\n' "${dir//\//\\}"
done) >"$files"

makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DFILES="$files" \
    -DICON="$root/resources/dawnbell.ico" -DOUTFILE="$out/$name-setup.exe" \
    "$root/resources/dawnbell.nsi"
(cd "$out" && zip -qr "$name.zip" "$name")
ls -l "$out/$name-setup.exe" "$out/$name.zip"

[ "${1:-}" = --no-check ] && exit 0
linux_build=${DAWNBELL_BUILD_DIR:-$root/build}
if [ ! -x "$linux_build/tools/sim/dawnbell-sim" ] || [ ! -x "$linux_build/tests/e2e/layoutdump" ]
then
    DAWNBELL_BUILD_DIR=$linux_build "$root/scripts/build.sh" dawnbell-sim layoutdump
fi
DAWNBELL_SIM=$linux_build/tools/sim/dawnbell-sim DAWNBELL_LAYOUT=$linux_build/tests/e2e/layoutdump \
    DAWNBELL_WINDOWS_INSTALLER=$out/$name-setup.exe unshare --map-root-user --net \
    bash "$root/tests/windows/under-wine.sh" python3 -m unittest -v test_wine.InstallerTest
