# Cross build for 64-bit ARM Linux (Raspberry Pi OS 64-bit, Debian arm64) on
# a Debian machine with multiarch:
#   dpkg --add-architecture arm64 && apt-get install crossbuild-essential-arm64 \
#        qemu-user-static libsdl2-dev:arm64 ...   (scripts/cross-arm64.sh does it)
# The arm64 libraries and headers live in the multiarch directories
# (/usr/lib/aarch64-linux-gnu, /usr/include/aarch64-linux-gnu); pkg-config
# reads only the arm64 .pc files. Tests and build-time runs of the programs go
# through qemu; the build-time tools come from a native build
# (cmake/HostTools.cmake).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

find_program(VELMORA_QEMU_AARCH64 NAMES qemu-aarch64-static qemu-aarch64)
if(VELMORA_QEMU_AARCH64)
  # The arm64 loader and libraries are installed at their multiarch places in
  # this root, so qemu needs no separate sysroot.
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VELMORA_QEMU_AARCH64})
endif()

# Multiarch: headers and libraries share the root with the build machine's;
# find_* must only take the arm64 ones, and programs from the build machine.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
