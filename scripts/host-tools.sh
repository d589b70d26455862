# Sourced by the cross-build scripts (Windows, arm64): builds, in the machine's own build
# folder (build/, or $DAWNBELL_BUILD_DIR), the program a cross build runs on this machine
# (the picture preparer), and sets host_tools to the folder that holds it.
host_build=${DAWNBELL_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$host_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
nice -n 10 cmake --build "$host_build" --target preparepictures >/dev/null
host_tools=$host_build/tools/pictures
