# Cross-compiles for 64-bit Arm Linux with Debian's g++-aarch64-linux-gnu against
# an arm64 sysroot assembled by scripts/assemble-arm64-sysroot.sh.
#
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-aarch64-linux-gnu.cmake \
#         -DKESTRUM_ARM64_SYSROOT=<build>/sysroot ...
#
# Test programs (and the programs the tests start) run under
# qemu-aarch64-static with -L at the sysroot, so that they load the sysroot's
# loader and C library: mixing the cross toolchain's libc with the sysroot's
# makes programs hang under the emulator.

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
# Debian's name for the architecture, for the .deb (see cmake/Packaging.cmake).
set(KESTRUM_DEBIAN_ARCHITECTURE arm64)

# try_compile projects read this file again: hand the sysroot on to them.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KESTRUM_ARM64_SYSROOT)
if(NOT KESTRUM_ARM64_SYSROOT AND DEFINED ENV{KESTRUM_ARM64_SYSROOT})
  set(KESTRUM_ARM64_SYSROOT "$ENV{KESTRUM_ARM64_SYSROOT}")
endif()
if(KESTRUM_ARM64_SYSROOT AND NOT IS_ABSOLUTE "${KESTRUM_ARM64_SYSROOT}")
  message(FATAL_ERROR "KESTRUM_ARM64_SYSROOT must be an absolute path, not '${KESTRUM_ARM64_SYSROOT}'")
endif()
if(NOT KESTRUM_ARM64_SYSROOT OR NOT EXISTS "${KESTRUM_ARM64_SYSROOT}/usr/lib/ld-linux-aarch64.so.1")
  message(FATAL_ERROR "KESTRUM_ARM64_SYSROOT='${KESTRUM_ARM64_SYSROOT}' is not an arm64 sysroot: "
    "assemble one with scripts/assemble-arm64-sysroot.sh and pass its folder")
endif()
set(KESTRUM_ARM64_SYSROOT "${KESTRUM_ARM64_SYSROOT}" CACHE PATH "arm64 sysroot made by scripts/assemble-arm64-sysroot.sh")

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_SYSROOT "${KESTRUM_ARM64_SYSROOT}")
# Further roots given with -DCMAKE_FIND_ROOT_PATH (the real camera SDKs' arm64 installations,
# scripts/build-real-sdks.sh) stay searched beside the sysroot.
list(APPEND CMAKE_FIND_ROOT_PATH "${KESTRUM_ARM64_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(KESTRUM_QEMU_AARCH64 qemu-aarch64-static)
if(KESTRUM_QEMU_AARCH64)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${KESTRUM_QEMU_AARCH64};-L;${KESTRUM_ARM64_SYSROOT}")
endif()
