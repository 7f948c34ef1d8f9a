# SPDX-License-Identifier: MIT
# The Debian package: where its files go, who signs it, and CPack's settings. Included on Linux only.
set(CPACK_PACKAGE_NAME solar-demo)
# Who signs the package and its changelog. The placeholder is for builds that stay in a lab; a package
# given to others names a real person or list.
set(solar_placeholder_maintainer "The solar_demo developers <solar-demo@localhost>")
set(SOLAR_PACKAGE_MAINTAINER "${solar_placeholder_maintainer}" CACHE STRING "Package maintainer, NAME <ADDRESS>")
# A stripped install (cpack, or cmake --install --strip) also drops the compiler's notes, as Debian's own
# packages do.
install(CODE "if(CMAKE_INSTALL_DO_STRIP)
  execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                          \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/solar_demo\")
endif()")
add_subdirectory(packaging)

# tools/package.sh runs "cpack -G DEB" in a hardened release build: a Debian package of what the install
# rules install, its dependencies worked out by dpkg-shlibdeps from the libraries the program really links.
set(CPACK_PACKAGE_VENDOR "The solar_demo developers")
set(CPACK_PACKAGE_CONTACT "${SOLAR_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two ships flying through a small solar system, in OpenGL")
set(CPACK_PACKAGE_DESCRIPTION
    "An interactive real-time model of a small solar system: a sun, nine planets
and a moon on their orbits, and Saturn's rings, drawn with fixed-function
OpenGL. Two windows each show the view from one of two ships, which the
keyboard flies in three navigation modes; the mouse picks a planet to follow.
.
It is meant for learning and teaching how cameras, scene graphs and picking
work, and comes with a guide to how it does them.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
