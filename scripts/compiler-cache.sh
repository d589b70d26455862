# Sourced by the build scripts: a compiler cache, where one is installed, makes a rebuild of
# unchanged sources cheap; the base folder makes clones in other folders share it.
if command -v ccache >/dev/null; then
    export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
fi
