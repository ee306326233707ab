# `cpack` in a build folder makes the installable package: a .deb on Debian, with the libraries the
# programs link found by dpkg-shlibdeps and the plug-ins Qt loads at run time named here.
set(CPACK_PACKAGE_NAME quorventale)
set(CPACK_PACKAGE_VENDOR Pelworn)
set(CPACK_PACKAGE_CONTACT "Pelworn")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Internet radio player")
set(CPACK_PACKAGE_DESCRIPTION
    "A small desktop internet-radio player: keep a list of stations, pick one, hear it and see what it plays.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)

if(UNIX AND NOT APPLE)
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION sound)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # Loaded as plug-ins, so no linked library names them: the X11 window system and the station
  # logos in WebP and other formats.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-image-formats-plugins")
  # Wayland without XWayland; media keys and notifications over the session bus.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, dbus-user-session | dbus-x11")
endif()

include(CPack)
