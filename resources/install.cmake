# Desktop integration: the menu entry and the application icon in the
# freedesktop hicolor theme.  Included by the top-level CMakeLists.txt.
install(FILES ${CMAKE_SOURCE_DIR}/resources/tobrin.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/app/tobrin-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME tobrin.png)
endforeach()
# The manual page.
install(FILES ${CMAKE_SOURCE_DIR}/docs/tobrin.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
