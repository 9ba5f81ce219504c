# The Windows program folder and its zip (cpack -G ZIP, or
# scripts/package-windows.sh): velmora.exe, velmora-send.exe and
# velmora-decode.exe, the SDL DLLs they load, Liberation Sans with its
# licence (the stand-in where the system has no Arial), and the README as
# text. Everything sits in one folder, beside the programs.

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

file(GLOB sdl_dlls ${VELMORA_WINDOWS_DEPS}/bin/*.dll)
install(TARGETS velmora velmora-send velmora-decode RUNTIME DESTINATION .)
install(FILES ${sdl_dlls} ${shipped} DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION . RENAME README.txt)

set(CPACK_GENERATOR ZIP)
# Without the debug information the programs are a fraction of the size.
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME velmora-${PROJECT_VERSION}-win64)
# One top folder in the zip, named like the zip.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
