# What `cmake --install` lays out, as a freedesktop application, and what `cpack -G DEB` packs.
include(GNUInstallDirs)

set(VYPISKA_APP_ID ru.vypiska.Vypiska)
set(VYPISKA_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)

install(TARGETS vypiska vypiska-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# vypiska-cli hands `register` to its twin, which it looks for beside itself.
if(TARGET vypiska-cli-register)
  install(TARGETS vypiska-cli-register RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The defaults that every user's own CONFIG/ starts from (../share/vypiska/CONFIG from bin/).
install(FILES ${VYPISKA_CONFIG_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/vypiska/CONFIG)

install(FILES ${VYPISKA_PACKAGING}/${VYPISKA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${VYPISKA_PACKAGING}/${VYPISKA_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/packaging/${VYPISKA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${VYPISKA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

foreach(size 16 24 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/app-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${VYPISKA_APP_ID}.png)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/resources/src/app-icon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${VYPISKA_APP_ID}.svg)

# Man pages from the programs' own --help and --version; without help2man the build goes on
# without them.
find_program(HELP2MAN help2man)
if(HELP2MAN)
  set(man_pages)
  foreach(program_and_name
          "vypiska|convert XML payment documents into a statement for 1C (window)"
          "vypiska-cli|convert XML payment documents into a statement for 1C (command line)")
    string(REPLACE "|" ";" program_and_name "${program_and_name}")
    list(GET program_and_name 0 program)
    list(GET program_and_name 1 name)
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    add_custom_command(OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${HELP2MAN} --no-info --section=1 --name=${name}
              --include=${VYPISKA_PACKAGING}/man-files.h2m --output=${page}
              $<TARGET_FILE:${program}>
      DEPENDS ${program} ${VYPISKA_PACKAGING}/man-files.h2m
      COMMENT "Making the man page of ${program}"
      VERBATIM)
    list(APPEND man_pages ${page})
  endforeach()
  add_custom_target(vypiska_man_pages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "help2man not found: building without man pages (scripts/install-deps brings it)")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vypiska)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Vypiska)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "XML payment documents to a Windows-1251 statement for import into 1C")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vypiska developers <vypiska@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The libraries the programs link come from dpkg-shlibdeps; Qt loads its window-system plugin
# at run time, so that one is named, and its Russian texts are recommended.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
include(CPack)
