# `make package`: a Debian package of what `cmake --install` installs, under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tarvex developers")
set(CPACK_PACKAGE_CONTACT "Tarvex developers <maintainers@tarvex.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://tarvex.org/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "show and operate high-power linear amplifiers")
set(CPACK_PACKAGE_DESCRIPTION
  "Shows and operates one or more high-power linear amplifiers for amateur
radio, each on a serial port of its own: power, operate and standby, faults,
band, tuning and meters on panels. It follows the radio's band through
rigctld, serves the ampctld protocol, keeps a history of events and readings,
offers an authenticated remote panel in a web browser, and runs without a
window as a systemd user service. Includes tarvex-ampsim, a simulated
amplifier.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Qt loads these as plugins, which dpkg-shlibdeps cannot see: the window's platform and the
# history's SQLite driver.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite")
# The station links talk to Hamlib's rigctld; a remote amplifier is reached through ser2net.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libhamlib-utils, ser2net")
# Directories made while installing would otherwise take the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
