# install.cmake -- where the viewer and its desktop files go under the prefix:
# the program, its menu entry and icons, the man page, the AppStream metadata,
# the README and the copyright. Debian's packaging installs through these rules.
include(GNUInstallDirs)

install(TARGETS tarnwick RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/${TARNWICK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 48 128 256)
  install(FILES data/icons/hicolor/${size}x${size}/apps/${TARNWICK_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# The man page's header and the metadata's release carry this project's
# version and date.
configure_file(data/tarnwick.6.in ${PROJECT_BINARY_DIR}/tarnwick.6 @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/tarnwick.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
configure_file(data/${TARNWICK_APP_ID}.metainfo.xml.in ${PROJECT_BINARY_DIR}/${TARNWICK_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/${TARNWICK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

install(FILES README.md debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
