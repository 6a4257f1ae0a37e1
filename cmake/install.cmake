# Installation of the desktop program in the usual places of a Linux system:
#   bin/quivra, bin/quivra-cli
#   share/quivra/                         the language file and the demo institution
#   share/applications/quivra.desktop     the menu entry, opening .qvf and .qvx files
#   share/icons/hicolor/scalable/apps/    the icon
#   share/mime/packages/quivra.xml        the file types ".qvf" and ".qvx"
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

set(desktop ${PROJECT_SOURCE_DIR}/data/desktop)
install(FILES ${desktop}/quivra.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desktop}/quivra.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${desktop}/quivra-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME quivra.xml)
