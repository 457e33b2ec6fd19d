# Desktop integration and the Debian package: what `cmake --install` puts
# beside the program, and how `cpack -G DEB` packs it.
include(GNUInstallDirs)

set(KESTRIX_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(KESTRIX_ICON_SVG ${CMAKE_SOURCE_DIR}/resources/icons/kestrix.svg)
set(KESTRIX_ICON_SIZES 16 22 24 32 48 64 128 256)
set(KESTRIX_METAINFO org.example.Kestrix.metainfo.xml)
set(KESTRIX_GENERATED_DIR ${CMAKE_BINARY_DIR}/packaging)

# Bitmap icons for desktops that want one at their own size, rendered from the
# scalable icon at build time.
add_executable(kestrix_render_icon ${KESTRIX_PACKAGING_DIR}/render_icon.cpp)
target_link_libraries(kestrix_render_icon PRIVATE Qt6::Gui Qt6::Svg)

string(JOIN ", " KESTRIX_ICON_SIZE_TEXT ${KESTRIX_ICON_SIZES})
set(KESTRIX_ICON_PNGS)
foreach(size IN LISTS KESTRIX_ICON_SIZES)
  list(APPEND KESTRIX_ICON_PNGS ${KESTRIX_GENERATED_DIR}/icons/${size}x${size}/apps/kestrix.png)
endforeach()
add_custom_command(
  OUTPUT ${KESTRIX_ICON_PNGS}
  COMMAND kestrix_render_icon ${KESTRIX_ICON_SVG} ${KESTRIX_GENERATED_DIR}/icons ${KESTRIX_ICON_SIZES}
  DEPENDS kestrix_render_icon ${KESTRIX_ICON_SVG}
  COMMENT "Rendering the program icon at ${KESTRIX_ICON_SIZE_TEXT} pixels"
  VERBATIM)

# The manual page and the changelog are installed compressed, without a time
# stamp in the gzip header, so two builds give the same bytes.
set(KESTRIX_MANPAGE_GZ ${KESTRIX_GENERATED_DIR}/kestrix.1.gz)
set(KESTRIX_POLISH_MANPAGE_GZ ${KESTRIX_GENERATED_DIR}/pl/kestrix.1.gz)
set(KESTRIX_CHANGELOG_GZ ${KESTRIX_GENERATED_DIR}/changelog.gz)
add_custom_command(
  OUTPUT ${KESTRIX_MANPAGE_GZ}
  COMMAND gzip -9 -n -c ${KESTRIX_PACKAGING_DIR}/kestrix.1 > ${KESTRIX_MANPAGE_GZ}
  DEPENDS ${KESTRIX_PACKAGING_DIR}/kestrix.1
  VERBATIM)
add_custom_command(
  OUTPUT ${KESTRIX_POLISH_MANPAGE_GZ}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KESTRIX_GENERATED_DIR}/pl
  COMMAND gzip -9 -n -c ${KESTRIX_PACKAGING_DIR}/kestrix.pl.1 > ${KESTRIX_POLISH_MANPAGE_GZ}
  DEPENDS ${KESTRIX_PACKAGING_DIR}/kestrix.pl.1
  VERBATIM)
add_custom_command(
  OUTPUT ${KESTRIX_CHANGELOG_GZ}
  COMMAND gzip -9 -n -c ${KESTRIX_PACKAGING_DIR}/changelog > ${KESTRIX_CHANGELOG_GZ}
  DEPENDS ${KESTRIX_PACKAGING_DIR}/changelog
  VERBATIM)

add_custom_target(kestrix_desktop_files ALL DEPENDS ${KESTRIX_ICON_PNGS} ${KESTRIX_MANPAGE_GZ}
                                                   ${KESTRIX_POLISH_MANPAGE_GZ} ${KESTRIX_CHANGELOG_GZ})

# --- Install rules (the program itself is installed where its target is made).
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(KESTRIX_HICOLOR_DIR ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${KESTRIX_ICON_SVG} DESTINATION ${KESTRIX_HICOLOR_DIR}/scalable/apps)
foreach(size IN LISTS KESTRIX_ICON_SIZES)
  install(FILES ${KESTRIX_GENERATED_DIR}/icons/${size}x${size}/apps/kestrix.png
          DESTINATION ${KESTRIX_HICOLOR_DIR}/${size}x${size}/apps)
endforeach()
install(FILES ${KESTRIX_PACKAGING_DIR}/kestrix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KESTRIX_PACKAGING_DIR}/${KESTRIX_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${KESTRIX_MANPAGE_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${KESTRIX_POLISH_MANPAGE_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/pl/man1)
install(FILES ${KESTRIX_PACKAGING_DIR}/copyright ${KESTRIX_CHANGELOG_GZ} DESTINATION ${CMAKE_INSTALL_DOCDIR})

# --- The Debian package: `cpack -G DEB` in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrix)
set(CPACK_PACKAGE_VENDOR "Zespół Kestrix")
set(CPACK_PACKAGE_CONTACT "Zespół Kestrix <kestrix@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "bulk renamer for files and folders")
set(CPACK_PACKAGE_DESCRIPTION
    "Kestrix renames many files and folders in one run. Gather them in a list\n"
    "from a file dialog, by drag and drop or with a folder chooser that can add\n"
    "a whole tree, pick the rules, watch the old and new names side by side,\n"
    "and apply every rename at once.\n"
    "\n"
    "The rules: a new extension, replacing text, deleting or inserting\n"
    "characters, letter case, spaces and underscores, and a running number.\n"
    "A rename whose new name is taken is skipped and reported: nothing is ever\n"
    "overwritten. The interface is in Polish.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGE_HOMEPAGE_URL "https://kestrix.example.org/")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX ${KESTRIX_PACKAGE_PREFIX})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries the program links come from dpkg-shlibdeps; these are what it
# loads or uses at run time without linking: the SVG icon engine, Qt's Polish
# dialog texts and the fonts the windows ask for. The xcb platform plugin
# ships in libqt6gui6, which the program links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-translations-l10n, fonts-liberation2, fonts-dejavu-core")

set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/")

include(CPack)
