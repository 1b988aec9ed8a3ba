# Install tree and Debian package.
#
#   cmake --install build --prefix /usr     (DESTDIR works as usual)
#   cd build && cpack -G DEB
#
#   bin/obr9, bin/obr9-sim
#   share/obr9/Icons/*.bmp             relay pictures (found by the program
#                                      through ../share/obr9 of its folder)
#   share/applications/obr9.desktop    menu entry
#   share/icons/hicolor/256x256/apps/obr9.png
#   lib/systemd/system/obr9-gateway@.service   the windowless gateway, one
#                                      instance per controller, options in
#                                      /etc/obr9/NAME.conf
#   share/doc/obr9/gateway.conf.example, README.md
#
# Settings: /usr/bin is not writable for the operator, so the program keeps
# its obr9.ini in the per-user configuration folder.
include(GNUInstallDirs)

install(TARGETS obr9 obr9-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
file(GLOB _obr9_relay_pictures CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/Icons/*.bmp)
install(FILES ${_obr9_relay_pictures} DESTINATION ${CMAKE_INSTALL_DATADIR}/obr9/Icons)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/obr9.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/Icons/obr9.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
# systemd looks in lib/systemd/system of the prefix it was built for (/usr).
install(FILES ${PROJECT_SOURCE_DIR}/packaging/obr9-gateway@.service
        DESTINATION lib/systemd/system)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/gateway.conf.example ${PROJECT_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME obr9)
set(CPACK_PACKAGE_VENDOR "OBR-9")
set(CPACK_PACKAGE_CONTACT "OBR-9 developers <obr9@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Operator program for the OBR-9 controller")
set(CPACK_PACKAGE_DESCRIPTION
    "Live temperatures, humidity, voltage and I/O of the OBR-9 controller over TCP or RS-485, output and relay switching, HQ-2 charts, recording files, device settings and firmware upload. Includes obr9-sim, a simulated controller for loopback tests.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Debug information stays in the build tree; the package ships stripped binaries.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt 6, QCustomPlot and libmosquitto runtime packages of Debian 12 (bookworm). Stated
# rather than found by dpkg-shlibdeps, so that the list is reviewed here.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6network6 (>= 6.4), libqt6serialport6 (>= 6.4), libqt6printsupport6 (>= 6.4), libqcustomplot2.1-qt6, qt6-qpa-plugins, libmosquitto1 (>= 2.0), libc6, libstdc++6")
include(CPack)
