# Debian package, built with `cpack -G DEB` from the build folder.
set(CPACK_PACKAGE_NAME countdown3000)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Countdown 3000 developers")
set(CPACK_PACKAGE_CONTACT "${COUNTDOWN3000_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "countdown to the year 3000 in a window's title bar")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The synopsis is CPACK_PACKAGE_DESCRIPTION_SUMMARY; CPack indents these lines and marks the
# empty one as a paragraph break.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "\
Countdown 3000 is a tiny window whose title bar shows how much time is left
until 1 January 3000, 00:00:00 local time, in seconds, minutes, hours, weeks,
days, months or years. The count is refreshed every second and follows the
local wall clock.

The window opens as just its title bar; dragging its lower edge down uncovers
the list of units, whose labels are in Japanese.")
# Libraries from dpkg-shlibdeps, plus the X11 platform plugin Qt loads at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The unit labels are Japanese; without a Japanese font they would show as boxes. Qt's Wayland
# platform plugin lets the program run on a Wayland desktop that has no X server. Qt's
# translations give the window menu the user's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
  "fonts-noto-cjk | fonts-ipafont-gothic | fonts-vlgothic, qt6-wayland, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Folders 0755 and no share/licenses (Debian's licence text is the copyright file), whatever the
# umask of whoever builds the package.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebianTree.cmake)

set(CPACK_GENERATOR DEB)
include(CPack)
