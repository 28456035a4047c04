# Installs Quillet as a desktop program: the executable, its menu entry, icon,
# AppStream metainfo, manual page and bash completion.  The icon's PNG sizes
# and the compressed manual page are made at build time from data/.
include(GNUInstallDirs)

set(QUILLET_DATA ${CMAKE_SOURCE_DIR}/data)
set(QUILLET_APPSTREAM_ID org.example.quillet)
set(QUILLET_METAINFO ${QUILLET_DATA}/${QUILLET_APPSTREAM_ID}.metainfo.xml)

# The release date printed in the manual page is the one the metainfo gives
# this version, so a version bump without a release entry stops here.
file(READ ${QUILLET_METAINFO} quillet_metainfo_text)
string(REPLACE "." "\\." quillet_version_pattern "${PROJECT_VERSION}")
if(NOT quillet_metainfo_text MATCHES "<release version=\"${quillet_version_pattern}\" date=\"([0-9-]+)\"")
  message(FATAL_ERROR "${QUILLET_METAINFO} has no <release> entry for version ${PROJECT_VERSION}")
endif()
set(QUILLET_RELEASE_DATE ${CMAKE_MATCH_1})

# PNG icons for desktops that do not draw SVG, rendered from the one drawing.
find_program(RSVG_CONVERT rsvg-convert REQUIRED
             DOC "rsvg-convert (Debian: librsvg2-bin) renders the icon's PNG sizes")
set(quillet_icon_pngs)
foreach(size IN ITEMS 48 128 256)
  set(png ${CMAKE_BINARY_DIR}/data/icons/${size}x${size}/quillet.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/data/icons/${size}x${size}
    COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${QUILLET_DATA}/quillet.svg
    DEPENDS ${QUILLET_DATA}/quillet.svg
    COMMENT "Rendering the ${size} pixel icon"
    VERBATIM)
  list(APPEND quillet_icon_pngs ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Manual pages are installed compressed, as Debian's policy asks; -n leaves
# the time stamp out so the package is the same on every build.
configure_file(${QUILLET_DATA}/quillet.1.in ${CMAKE_BINARY_DIR}/data/quillet.1 @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/data/quillet.1.gz
  COMMAND gzip -9 -n -k -f ${CMAKE_BINARY_DIR}/data/quillet.1
  DEPENDS ${CMAKE_BINARY_DIR}/data/quillet.1
  COMMENT "Compressing the manual page"
  VERBATIM)

add_custom_target(quillet_desktop_data ALL
  DEPENDS ${quillet_icon_pngs} ${CMAKE_BINARY_DIR}/data/quillet.1.gz)

install(TARGETS quillet RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${QUILLET_DATA}/quillet.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QUILLET_DATA}/quillet.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${QUILLET_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_BINARY_DIR}/data/quillet.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${QUILLET_DATA}/quillet.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME quillet)
