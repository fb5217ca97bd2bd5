# Installation with the usual GNU directories, the desktop's metadata, and a Debian package.
include(GNUInstallDirs)

set(ZORSAV_DATA_DIR ${CMAKE_INSTALL_FULL_DATADIR}/zorsav)
configure_file(${PROJECT_SOURCE_DIR}/packaging/zorsav.desktop.in
               ${PROJECT_BINARY_DIR}/packaging/zorsav.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/zorsav.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/packaging/org.zorsav.ZorScreenSaver.metainfo.xml @ONLY)

# The icon in the hicolor theme: 16 x 16 as drawn, larger sizes scaled by whole numbers.
set(ZORSAV_ICON_SIZES 16 32 48 64 128 256)
set(ZORSAV_ICON_DIR ${PROJECT_BINARY_DIR}/icons/hicolor)
set(ZORSAV_ICON_FILES)
foreach(size ${ZORSAV_ICON_SIZES})
  list(APPEND ZORSAV_ICON_FILES ${ZORSAV_ICON_DIR}/${size}x${size}/apps/zorsav.png)
endforeach()
add_custom_command(OUTPUT ${ZORSAV_ICON_FILES}
  COMMAND zorsav-icons ${PROJECT_BINARY_DIR}/resources/MAINICON.ico ${ZORSAV_ICON_DIR}
          ${ZORSAV_ICON_SIZES}
  DEPENDS zorsav-icons ${PROJECT_BINARY_DIR}/resources/MAINICON.ico
  COMMENT "Scaling the program icon")
add_custom_target(zorsav_icons ALL DEPENDS ${ZORSAV_ICON_FILES})
install(DIRECTORY ${ZORSAV_ICON_DIR} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

install(TARGETS zorsav RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS zorsav_sound LIBRARY DESTINATION ${ZORSAV_MODULE_DIR})
install(FILES ${PROJECT_BINARY_DIR}/ZORSAVM1.MID ${PROJECT_BINARY_DIR}/ZORSAVM2.MID
        DESTINATION ${CMAKE_INSTALL_DATADIR}/zorsav OPTIONAL)
# The entry names the folder the themes are installed in, which is known only at install
# time (a package installs to /usr whatever the build was configured for).
set(ZORSAV_ENTRY_IN ${PROJECT_SOURCE_DIR}/packaging/zorsav.desktop.in)
set(ZORSAV_ENTRY_OUT ${PROJECT_BINARY_DIR}/packaging/installed/zorsav.desktop)
install(CODE "set(ZORSAV_DATA_DIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/zorsav\")")
install(CODE "configure_file(\"${ZORSAV_ENTRY_IN}\" \"${ZORSAV_ENTRY_OUT}\" @ONLY)")
install(FILES ${PROJECT_BINARY_DIR}/packaging/installed/zorsav.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_BINARY_DIR}/packaging/org.zorsav.ZorScreenSaver.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/zorsav.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorsav)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "ZOR-ScreenSaver Linux team <team@zorsav.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "joke screen saver battle against a monster")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A Japanese joke screen saver battle game: fight the monster that has taken\n over your screen, with flashes, MIDI music and files dropped as allies.")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-gothic | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "timgm6mb-soundfont | fluid-soundfont-gm | musescore-general-soundfont")
set(CPACK_PACKAGE_INSTALL_DIRECTORY zorsav)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
