# Desktop integration: the menu entry, the application icon in the
# freedesktop hicolor theme, the AppStream data software centres list the
# program by, the manual page and the shell completion. Included by the
# top-level CMakeLists.txt; CPack packages whatever is installed here.
set(TOBRIN_APP_ID io.github.tobrin.Tobrin)
set(TOBRIN_HOMEPAGE "https://tobrin.example.org" CACHE STRING
    "The project's address: the AppStream homepage, and its screenshots under raw/HEAD/")

install(FILES ${CMAKE_SOURCE_DIR}/resources/${TOBRIN_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/app/tobrin-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME tobrin.png)
endforeach()

configure_file(${CMAKE_SOURCE_DIR}/resources/${TOBRIN_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/${TOBRIN_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${TOBRIN_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

install(FILES ${CMAKE_SOURCE_DIR}/resources/tobrin.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME tobrin)

# The manual page, compressed as man expects it installed (-n: no name or
# time stamp inside, so the same page gives the same bytes).
find_program(TOBRIN_GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/tobrin.1.gz
  COMMAND ${TOBRIN_GZIP} -9n -c ${CMAKE_SOURCE_DIR}/docs/tobrin.1 > ${CMAKE_BINARY_DIR}/tobrin.1.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/docs/tobrin.1 VERBATIM)
add_custom_target(tobrin_manpage ALL DEPENDS ${CMAKE_BINARY_DIR}/tobrin.1.gz)
install(FILES ${CMAKE_BINARY_DIR}/tobrin.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The built-in output templates and their description, for users to copy
# into ~/.local/share/tobrin/templates and change.
install(FILES ${TOBRIN_TEMPLATE_FILES} ${CMAKE_SOURCE_DIR}/docs/templates.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tobrin/templates)

# The build manifest's keys (tobrin build), as the manual page points to them.
install(FILES ${CMAKE_SOURCE_DIR}/docs/build.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tobrin)
