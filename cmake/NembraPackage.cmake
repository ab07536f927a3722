# The Debian package, made by `cpack -G DEB` (scripts/setup.sh package) from
# what `cmake --install` installs. The libraries the programs link are found
# by dpkg-shlibdeps; what they load at run time or only look up is declared.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nembra)
set(CPACK_PACKAGE_VENDOR Corvane)
set(CPACK_PACKAGE_CONTACT "${NEMBRA_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "programmer for TI LF240xA and F281x DSPs through the KVL47Q USB pod")
set(CPACK_PACKAGE_DESCRIPTION
  "Nembra programs Texas Instruments TMS320LF240xA and TMS320F2810/F2811/F2812\n"
  "DSPs through the KVL47Q USB programming pod: Target Write, Target Reset,\n"
  "POD Write, POD Verify and POD Info.\n"
  "\n"
  "It comes as a window (nembra), the same window on a simulated pod for use\n"
  "without hardware (nembra-sim), and a command-line tool for scripts and\n"
  "production lines (nembra-cli). A udev rule gives the logged-in user, and\n"
  "the plugdev group, access to the pod.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${NEMBRA_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libftdi1 is opened with dlopen, Qt finds its platform plugins at start-up,
# and the window's Korean captions need a Hangul font.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libftdi1-2 (>= 1.5), qt6-qpa-plugins, fonts-nanum | fonts-noto-cjk | fonts-unfonts-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${CMAKE_SOURCE_DIR}/packaging/debian/postinst
  ${CMAKE_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
