# Cross-builds for 64-bit ARM with Debian's cross toolchain, against a root
# of Debian's arm64 packages that CMAKE_SYSROOT names (scripts/package.sh
# makes it): the machine's own development packages play no part.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(TOOL_PREFIX aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${TOOL_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${TOOL_PREFIX}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${TOOL_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config reads the root's .pc files alone, and puts the root before the
# folders they name.
set(ENV{PKG_CONFIG_LIBDIR} ${CMAKE_SYSROOT}/usr/lib/${TOOL_PREFIX}/pkgconfig:${CMAKE_SYSROOT}/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_SYSROOT_DIR} ${CMAKE_SYSROOT})
# The package's architecture, as Debian names it.
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
