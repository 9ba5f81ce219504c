# What `cmake --install` puts where, and the Debian package `cpack -G DEB`
# makes from it: velmora_<version>_<arch>.deb for the architecture built for
# (amd64 natively, arm64 from the arm64 cross build). scripts/package.sh
# builds both.
include(GNUInstallDirs)

install(TARGETS velmora velmora-send velmora-decode RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/velmora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/velmora.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The console start for a machine without a desktop; not enabled by the
# package (README: "Boot into the display"). Debian 12 keeps units under
# /lib until its /usr merge is complete.
install(FILES packaging/velmora.service DESTINATION /lib/systemd/system)

# Manual pages from each program's --help, run where the programs run (through
# the emulator in a cross build).
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/velmora)
find_program(HELP2MAN help2man)
if(HELP2MAN)
  set(man_pages)
  foreach(entry
      "velmora|multi-function display of a fighter fed by a flight simulator's telemetry"
      "velmora-send|send demo flight or recorded telemetry to the Velmora display"
      "velmora-decode|print what the Velmora display makes of an exporter's telemetry")
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 program)
    list(GET entry 1 summary)
    velmora_program(program_path ${program})
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    add_custom_command(OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${HELP2MAN} --no-info --version-string=${PROJECT_VERSION} --name=${summary}
        --output=${page} ${program_path}
      COMMAND gzip -9nf ${page}
      DEPENDS ${program}
      COMMENT "Manual page of ${program}"
      VERBATIM)
    list(APPEND man_pages ${page}.gz)
  endforeach()
  add_custom_target(velmora-man-pages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "help2man not found: no manual pages (scripts/package.sh installs it)")
endif()

# /usr/share/doc/velmora: the README, the copyright notice and a changelog
# for this version, compressed as Debian expects.
string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(VELMORA_PACKAGE_MAINTAINER "Velmora maintainers <maintainers@velmora.invalid>" CACHE STRING
  "Maintainer field of the Debian package")
file(WRITE ${CMAKE_BINARY_DIR}/packaging/changelog
  "velmora (${PROJECT_VERSION}) stable; urgency=medium\n\n"
  "  * Velmora ${PROJECT_VERSION}.\n\n"
  " -- ${VELMORA_PACKAGE_MAINTAINER}  ${changelog_date}\n")
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/packaging/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog
  VERBATIM)
add_custom_target(velmora-changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES README.md packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${doc_dir})
# The simulator side: the example exporter script the README describes.
install(FILES docs/exporter-example.lua DESTINATION ${doc_dir}/examples)

# The Debian package.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
  set(deb_arch arm64)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64)$")
  set(deb_arch amd64)
else()
  set(deb_arch ${CMAKE_SYSTEM_PROCESSOR})
endif()
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_CONTACT ${VELMORA_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "fighter multi-function display for flight simulators")
set(CPACK_PACKAGE_DESCRIPTION
  "Velmora shows a fighter's multi-function display in its own window beside a\n"
  "combat flight simulator, fed by the aircraft state the simulator's export\n"
  "script sends over UDP or TCP: attitude indicator, airspeed, altimeter, HSI,\n"
  "engine and fuel gauges, and a tactical page. It runs on a second monitor, a\n"
  "second PC or a Raspberry Pi (desktop or console).")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${deb_arch})
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries from what the programs link (dpkg-shlibdeps); the font is
# opened by name at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
# DNS-SD: Avahi's client library is loaded at run time when it is there.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libavahi-client3, avahi-daemon")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
