# Cross-compiles for another Linux processor with Debian's cross compiler
# (package g++-aarch64-linux-gnu or g++-s390x-linux-gnu) against the
# target's libraries, which .ci/cross-sysroot unpacks into
# PLUCKROW_SYSROOT. CTest runs the tests under qemu-user; the programs the
# tests start run through binfmt, with QEMU_LD_PREFIX naming the same folder.
# The preset sets PLUCKROW_TARGET (aarch64-linux-gnu...) and PLUCKROW_SYSROOT.
set(CMAKE_SYSTEM_NAME Linux)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PLUCKROW_TARGET PLUCKROW_SYSROOT)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR "${PLUCKROW_TARGET}")

set(CMAKE_CXX_COMPILER ${PLUCKROW_TARGET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${PLUCKROW_TARGET})

set(CMAKE_FIND_ROOT_PATH ${PLUCKROW_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_LIBDIR}
    "${PLUCKROW_SYSROOT}/usr/lib/${PLUCKROW_TARGET}/pkgconfig:${PLUCKROW_SYSROOT}/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} ${PLUCKROW_SYSROOT})

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${CMAKE_SYSTEM_PROCESSOR}-static -L ${PLUCKROW_SYSROOT})
