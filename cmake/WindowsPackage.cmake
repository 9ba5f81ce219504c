# The Windows program folder and its zip (cpack -G ZIP, or
# scripts/package-windows.sh): velmora.exe, velmora-send.exe and
# velmora-decode.exe, the SDL DLLs they load, Liberation Sans with its
# licence (the stand-in where the system has no Arial), and the README as
# text. Everything sits in one folder, beside the programs. Each program
# carries its manifest, icon and version (packaging/windows/program.rc.in).

# Liberation Sans (SIL Open Font License) from the build machine's Debian
# package fonts-liberation2; its copyright file holds the licence text.
set(VELMORA_BUNDLED_FONT_DIR /usr/share/fonts/truetype/liberation2 CACHE PATH
  "Folder holding LiberationSans-*.ttf for the Windows program folder")
set(VELMORA_BUNDLED_FONT_LICENCE /usr/share/doc/fonts-liberation2/copyright CACHE FILEPATH
  "Licence text of the bundled font")

set(bundled_font_files)
foreach(style Regular Bold Italic BoldItalic)
  list(APPEND bundled_font_files ${VELMORA_BUNDLED_FONT_DIR}/LiberationSans-${style}.ttf)
endforeach()

# Beside the programs and the test programs in the build as well, so that
# they find the font the way an unpacked zip does. (A Wine prefix has no
# Arial, so under Wine the pixel tests always draw with this face.)
set(bundled_in_build)
set(copies)
foreach(dir ${CMAKE_RUNTIME_OUTPUT_DIRECTORY} ${CMAKE_BINARY_DIR}/tests)
  set(in_dir)
  foreach(file IN LISTS bundled_font_files)
    get_filename_component(name ${file} NAME)
    list(APPEND in_dir ${dir}/${name})
  endforeach()
  list(APPEND in_dir ${dir}/LiberationSans-LICENSE.txt)
  list(APPEND copies
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${bundled_font_files} ${dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${VELMORA_BUNDLED_FONT_LICENCE} ${dir}/LiberationSans-LICENSE.txt)
  if(dir STREQUAL CMAKE_RUNTIME_OUTPUT_DIRECTORY)
    set(shipped ${in_dir})
  endif()
  list(APPEND bundled_in_build ${in_dir})
endforeach()
add_custom_command(
  OUTPUT ${bundled_in_build}
  ${copies}
  DEPENDS ${bundled_font_files} ${VELMORA_BUNDLED_FONT_LICENCE}
  COMMENT "Placing Liberation Sans beside the programs"
  VERBATIM)
add_custom_target(velmora-bundled-font ALL DEPENDS ${bundled_in_build})

# The resources: the icon drawn by artgen, then per program a manifest and a
# resource script configured from the one template each.
enable_language(RC)
velmora_host_tool(artgen artgen)
set(resource_dir ${CMAKE_BINARY_DIR}/generated/windows)
set(icon ${resource_dir}/velmora.ico)
add_custom_command(OUTPUT ${icon}
  COMMAND ${artgen} --icon ${icon}
  DEPENDS ${artgen}
  COMMENT "Drawing the program icon"
  VERBATIM)
add_custom_target(velmora-icon DEPENDS ${icon})
set(VERSION_TWEAK ${PROJECT_VERSION_TWEAK})
if(NOT VERSION_TWEAK)
  set(VERSION_TWEAK 0)
endif()
set(ICON ${icon})
foreach(entry "velmora|Velmora multi-function display"
              "velmora-send|Velmora telemetry sender and relay"
              "velmora-decode|Velmora recording decoder")
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 NAME)
  list(GET entry 1 DESCRIPTION)
  set(MANIFEST ${resource_dir}/${NAME}.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/velmora.manifest.in ${MANIFEST} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${resource_dir}/${NAME}.rc @ONLY)
  target_sources(${NAME} PRIVATE ${resource_dir}/${NAME}.rc)
  set_source_files_properties(${resource_dir}/${NAME}.rc TARGET_DIRECTORY ${NAME}
    PROPERTIES OBJECT_DEPENDS "${icon};${MANIFEST}")
  add_dependencies(${NAME} velmora-icon)
endforeach()

file(GLOB sdl_dlls ${VELMORA_WINDOWS_DEPS}/bin/*.dll)
install(TARGETS velmora velmora-send velmora-decode RUNTIME DESTINATION .)
install(FILES ${sdl_dlls} ${shipped} DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION . RENAME README.txt)

# The zip (portable) and the installer (packaging/windows/NSIS.template.in,
# found through CMAKE_MODULE_PATH; Debian's nsis package builds it).
set(CPACK_GENERATOR ZIP NSIS)
list(PREPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/packaging/windows)
set(CPACK_VELMORA_INSTALLER_ICON ${icon})
# Apps & features shows the size: the programs, DLLs and font, roughly.
set(CPACK_VELMORA_INSTALLED_KIB 12000)
set(CPACK_NSIS_PACKAGE_NAME Velmora)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Velmora)
# Without the debug information the programs are a fraction of the size.
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME velmora-${PROJECT_VERSION}-win64)
# One top folder in the zip, named like the zip (the installer has none:
# packaging/windows/CPackOptions.cmake).
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/packaging/windows/CPackOptions.cmake)
include(CPack)
