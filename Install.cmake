# Installation the freedesktop way, and the Debian package built from it by
# `cpack -G DEB`: the program, its menu entry, the MIME type of .zak files,
# icons, AppStream data, the manual page, the example programs, and the
# licence file and changelog Debian asks for.
include(GNUInstallDirs)

# The about box's web page; the application id is its host name reversed.
set(ZAK_HOMEPAGE "https://zak.example.org/")
set(ZAK_EXAMPLES_DIR "${CMAKE_INSTALL_DATADIR}/zak/examples")
set(ZAK_ICON_SIZES 16 22 24 32 48 64 128 256)

# The PNG icons are rendered at build time from the emblem the program itself
# shows, so the picture is defined once.
add_executable(zak_icons tools/RenderIcons.cpp)
target_link_libraries(zak_icons PRIVATE zak_gui)
set(zak_icon_pngs)
foreach(size IN LISTS ZAK_ICON_SIZES)
  list(APPEND zak_icon_pngs
       "${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps/${ZAK_APP_ID}.png"
       "${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/mimetypes/text-x-zak.png")
endforeach()
add_custom_command(OUTPUT ${zak_icon_pngs}
  COMMAND zak_icons "${CMAKE_BINARY_DIR}/icons" ${ZAK_APP_ID} ${ZAK_ICON_SIZES}
  DEPENDS zak_icons "${PROJECT_SOURCE_DIR}/data/zak.svg"
  COMMENT "Rendering the icons")
add_custom_target(zak_icon_files ALL DEPENDS ${zak_icon_pngs})

# The AppStream screenshots come from a real run of an example on Qt's
# offscreen platform. AppStream wants them on the web: they are installed
# beside the examples for the web page the metainfo points at.
add_executable(zak_screenshots tools/Screenshots.cpp)
target_link_libraries(zak_screenshots PRIVATE zak_gui)
set(ZAK_SCREENSHOT_PROGRAM "${PROJECT_SOURCE_DIR}/examples/02_haus.zak")
set(zak_screenshot_pngs "${CMAKE_BINARY_DIR}/screenshots/hauptfenster.png"
                        "${CMAKE_BINARY_DIR}/screenshots/zeichenfenster.png")
add_custom_command(OUTPUT ${zak_screenshot_pngs}
  COMMAND zak_screenshots "${CMAKE_BINARY_DIR}/screenshots" "${ZAK_SCREENSHOT_PROGRAM}"
  DEPENDS zak_screenshots "${ZAK_SCREENSHOT_PROGRAM}"
  COMMENT "Taking the screenshots")
add_custom_target(zak_screenshot_files ALL DEPENDS ${zak_screenshot_pngs})

configure_file(data/zak.desktop.in "${CMAKE_BINARY_DIR}/data/${ZAK_APP_ID}.desktop" @ONLY)
configure_file(data/zak.metainfo.xml.in "${CMAKE_BINARY_DIR}/data/${ZAK_APP_ID}.metainfo.xml" @ONLY)
configure_file(data/zak.1.in "${CMAKE_BINARY_DIR}/data/zak.1" @ONLY)
# Debian wants manual pages compressed; -n keeps the name and time out of the
# header, so every build of the same page gives the same bytes.
find_program(ZAK_GZIP gzip REQUIRED)
add_custom_command(OUTPUT "${CMAKE_BINARY_DIR}/data/zak.1.gz"
  COMMAND "${ZAK_GZIP}" -9 -n -f -k "${CMAKE_BINARY_DIR}/data/zak.1"
  DEPENDS "${CMAKE_BINARY_DIR}/data/zak.1"
  COMMENT "Compressing the manual page")
add_custom_target(zak_man_page ALL DEPENDS "${CMAKE_BINARY_DIR}/data/zak.1.gz")

install(TARGETS zak RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES "${CMAKE_BINARY_DIR}/data/${ZAK_APP_ID}.desktop" DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/zak.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES "${CMAKE_BINARY_DIR}/data/${ZAK_APP_ID}.metainfo.xml"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES "${CMAKE_BINARY_DIR}/data/zak.1.gz" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# File by file: a folder would also take icons an older build left there.
foreach(png IN LISTS zak_icon_pngs)
  file(RELATIVE_PATH dir "${CMAKE_BINARY_DIR}/icons" "${png}")
  get_filename_component(dir "${dir}" DIRECTORY)
  install(FILES "${png}" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/${dir}")
endforeach()
install(FILES data/zak.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${ZAK_APP_ID}.svg)
install(FILES data/zak.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes
        RENAME text-x-zak.svg)
install(DIRECTORY examples/ DESTINATION ${ZAK_EXAMPLES_DIR} FILES_MATCHING PATTERN "*.zak")
# The fonts every picture is drawn with, and their licences.
install(DIRECTORY fonts/ DESTINATION ${ZAK_FONTS_INSTALL_DIR} FILES_MATCHING PATTERN "*.ttf" PATTERN "COPYING.*")
install(FILES ${zak_screenshot_pngs} DESTINATION ${CMAKE_INSTALL_DATADIR}/zak/screenshots)
# The browser version, when it has been built (cmake --preset web && cmake --build
# build-web): the whole page, for a school to put on any web server.
set(ZAK_WEB_PAGE_DIR "${PROJECT_SOURCE_DIR}/build-web/www" CACHE PATH "The built web page to install")
install(DIRECTORY "${ZAK_WEB_PAGE_DIR}/" DESTINATION ${CMAKE_INSTALL_DATADIR}/zak/web OPTIONAL)

# A direct install (cmake --install) refreshes the desktop's caches so that
# the menu entry and the file type work at once. Staged installs (DESTDIR,
# CPack) leave that to the target system: the package's maintainer scripts
# (and Debian's triggers) do it there.
install(CODE "set(zak_datadir \"${CMAKE_INSTALL_DATADIR}\")")
install(CODE [[
  if("$ENV{DESTDIR}" STREQUAL "")
    set(zak_data "${CMAKE_INSTALL_PREFIX}/${zak_datadir}")
    find_program(zak_update_mime update-mime-database)
    find_program(zak_update_desktop update-desktop-database)
    if(zak_update_mime)
      message(STATUS "Updating ${zak_data}/mime")
      execute_process(COMMAND "${zak_update_mime}" "${zak_data}/mime")
    endif()
    if(zak_update_desktop)
      message(STATUS "Updating ${zak_data}/applications")
      execute_process(COMMAND "${zak_update_desktop}" "${zak_data}/applications")
    endif()
  endif()
]])

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zak)
set(CPACK_PACKAGE_VENDOR Zakwerk)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Lernumgebung für objektorientiertes Programmieren mit Figuren")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "ZAK-Team <zak@example.org>" CACHE STRING "Maintainer field of the Debian package")
# Debian's documentation folder: the licence file in the machine-readable
# form, its contact the maintainer, and the changelog a native package
# carries, compressed like the manual page.
set(ZAK_RELEASE_DATE "Tue, 08 Dec 2026 00:00:00 +0000")
configure_file(data/copyright.in "${CMAKE_BINARY_DIR}/data/copyright" @ONLY)
configure_file(data/changelog.in "${CMAKE_BINARY_DIR}/data/changelog" @ONLY)
add_custom_command(OUTPUT "${CMAKE_BINARY_DIR}/data/changelog.gz"
  COMMAND "${ZAK_GZIP}" -9 -n -f -k "${CMAKE_BINARY_DIR}/data/changelog"
  DEPENDS "${CMAKE_BINARY_DIR}/data/changelog"
  COMMENT "Compressing the changelog")
add_custom_target(zak_changelog ALL DEPENDS "${CMAKE_BINARY_DIR}/data/changelog.gz")
install(FILES "${CMAKE_BINARY_DIR}/data/copyright" "${CMAKE_BINARY_DIR}/data/changelog.gz"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zak)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ZAK_HOMEPAGE}")
# The Qt libraries and their minimum versions come from the program's own
# links; the fonts are the ones the drawing windows' metrics are made for.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${PROJECT_SOURCE_DIR}/data/debian/postinst"
                                       "${PROJECT_SOURCE_DIR}/data/debian/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# CPack puts the summary in front as the first line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "ZAK ist eine Lernumgebung für den Informatikunterricht. Schülerinnen und
Schüler schreiben Programme in einer kleinen objektorientierten Sprache mit
deutschen Schlüsselwörtern, deren Objekte Figuren sind, und sehen sie in
Zeichenfenstern Schritt für Schritt oder in einer von dreißig
Geschwindigkeiten laufen.
.
Zum Paket gehören ein Editor mit Syntaxhervorhebung und automatischem
Einrücken, eine Syntaxprüfung, ein Interpreter mit Einzelschritt und
Haltepunkten, eine Variablenansicht, eine Hilfe und Beispielprogramme.")
include(CPack)
