# Cross-compiling for 64-bit ARM Linux with Debian's cross compilers (crossbuild-essential-arm64)
# against Debian's own arm64 Qt, installed beside the machine's with `dpkg --add-architecture
# arm64`. Qt's tools (moc, rcc, uic) come from the machine's qt6-base-dev-tools: the arm64
# Qt's CMake files look for them under QT_HOST_PATH.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
# The multiarch folder the arm64 libraries live in; the package's architecture is derived
# from it (cmake/Packaging.cmake).
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

set(CMAKE_C_COMPILER ${CMAKE_LIBRARY_ARCHITECTURE}-gcc)
set(CMAKE_CXX_COMPILER ${CMAKE_LIBRARY_ARCHITECTURE}-g++)

# Multiarch keeps both sides in one tree: with the library architecture set, packages and
# libraries are found in /usr/lib/aarch64-linux-gnu, and the headers in /usr/include are
# the same for both. The machine's Qt tools are found through its own multiarch folder.
execute_process(COMMAND dpkg-architecture -qDEB_BUILD_MULTIARCH
                OUTPUT_VARIABLE machine_multiarch OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/${machine_multiarch}/cmake)

# CTest runs the arm64 tests under qemu-user. The arm64 C library is installed in the
# machine's own tree (multiarch), where qemu's default prefix finds its loader.
find_program(DAWNBELL_QEMU_AARCH64 qemu-aarch64-static qemu-aarch64)
if(DAWNBELL_QEMU_AARCH64)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${DAWNBELL_QEMU_AARCH64})
endif()
