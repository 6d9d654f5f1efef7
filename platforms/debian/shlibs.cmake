# Run by CPack before it packs: dpkg-shlibdeps names Allegro's runtime as the
# Debian that builds the package names it, and Debian 13's liballegro4.4t64
# does not exist on Debian 12, while Debian 12's liballegro4.4 is provided by
# Debian 13's too. Named so, a package built on either installs on both.
file(WRITE "${CPACK_TEMPORARY_DIRECTORY}/debian/shlibs.local" "liballeg 4.4 liballegro4.4 (>= 2:4.4.3.1)\n")
# A package cross-built for another architecture: dpkg-shlibdeps reads its
# binary with that architecture's objdump.
if(CPACK_DEBIAN_PACKAGE_ARCHITECTURE)
  set(ENV{DEB_HOST_ARCH} ${CPACK_DEBIAN_PACKAGE_ARCHITECTURE})
endif()
