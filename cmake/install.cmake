# Installation of the desktop program in the usual places of a Linux system:
#   bin/quivra, bin/quivra-cli
#   share/quivra/                         the language file and the demo institution
#   share/quivra/help/                    the help pages
#   share/applications/quivra.desktop     the menu entry, opening .qvf and .qvx files
#   share/icons/hicolor/*/apps/           the icon, drawn and in three sizes
#   share/mime/packages/quivra.xml        the file types ".qvf" and ".qvx"
#   share/metainfo/                       the software centres' description
# `cpack -G DEB` in the build folder packs the same files as a Debian package (see the end).
# The program looks for english.cfw beside itself first, then in ../share/quivra, so both a
# build tree and an installed tree start with their language file.
include(GNUInstallDirs)

install(TARGETS quivra RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET quivra-cli)
    install(TARGETS quivra-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(FILES
    ${PROJECT_SOURCE_DIR}/data/english.cfw
    ${PROJECT_SOURCE_DIR}/examples/demo.qvf
    ${PROJECT_SOURCE_DIR}/examples/demo.qvx
    DESTINATION ${CMAKE_INSTALL_DATADIR}/quivra)

install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/quivra/help)

set(desktop ${PROJECT_SOURCE_DIR}/data/desktop)
install(FILES ${desktop}/quivra.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desktop}/quivra.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 64)
    install(FILES ${desktop}/quivra-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME quivra.png)
endforeach()
install(FILES ${desktop}/quivra-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME quivra.xml)
install(FILES ${desktop}/org.quivra.Quivra.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The Debian package. Its dependencies are read from the libraries the programs link
# (dpkg-shlibdeps); the desktop's own triggers register the menu entry, icons and file types.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quivra)
set(CPACK_PACKAGE_VENDOR Quivra)
# The repository carries no licence file: the package and the metainfo say "proprietary"
# (LicenseRef-proprietary) until the project publishes one.
set(CPACK_PACKAGE_CONTACT "Quivra developers <dev@quivra.invalid>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quivra developers <dev@quivra.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "timetables and course schedules for schools, colleges and universities")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Quivra keeps the resources of an institution, its events and its calendar in one data\n\
file, allocates the periods of each event to weeks and places them in timetable slots,\n\
by hand or automatically. The package holds the desktop program, the command-line tool\n\
quivra-cli, the help pages and a demo institution.")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
