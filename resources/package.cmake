# The Debian package: `cpack -G DEB` in a build folder (scripts/package.sh
# makes one from scratch) writes tobrin_VERSION_ARCH.deb holding everything
# the install rules install, whatever is added to them later (a CMake
# package module for programs built on Tobrin's libraries, say). Included by
# the top-level CMakeLists.txt.
set(CPACK_PACKAGE_NAME tobrin)
set(CPACK_PACKAGE_VENDOR "The Tobrin developers")
set(CPACK_PACKAGE_CONTACT "The Tobrin developers <tobrin@example.org>" CACHE STRING
    "The package's maintainer, as \"Name <address>\"")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for monochrome pictures of the Tav handheld")
set(CPACK_PACKAGE_HOMEPAGE_URL ${TOBRIN_HOMEPAGE})
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
# Folders the package makes are 0755 whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# CPack puts the summary above it as the first line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tobrin draws black-and-white pictures from 4 x 4 up to 240 x 120 pixels, the
size of the Tav handheld's display, on a zoomed grid, previews them as the
device shows them and saves them as assembler text (.db lines). It converts
colour images by a brightness threshold or dithering, reads and writes C
arrays, X11 and netpbm bitmaps, PNG and BMP, and does the same conversions
on the command line without a display.")
# Depends: the libraries the binary links, read from it by dpkg-shlibdeps
# (giflib among them; Qt's display plug-ins come with its Gui library; libwmf recommends the
# URW fonts it draws a metafile's text with). Qt's extra image plug-ins are
# loaded at run time, unseen by dpkg-shlibdeps: the import reads TIFF, WebP,
# TGA and more through them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-image-formats-plugins")

# Debian wants these two beside every package's files.
configure_file(${CMAKE_SOURCE_DIR}/resources/debian/copyright
               ${CMAKE_BINARY_DIR}/debian/copyright COPYONLY)
execute_process(COMMAND date -u -R -d "${TOBRIN_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE TOBRIN_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
configure_file(${CMAKE_SOURCE_DIR}/resources/debian/changelog.in
               ${CMAKE_BINARY_DIR}/debian/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.gz
  COMMAND ${TOBRIN_GZIP} -9n -c ${CMAKE_BINARY_DIR}/debian/changelog > ${CMAKE_BINARY_DIR}/debian/changelog.gz
  DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog VERBATIM)
add_custom_target(tobrin_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tobrin)

include(CPack)
