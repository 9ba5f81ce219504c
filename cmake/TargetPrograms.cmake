# Running the built programs from test scripts, natively or through an
# emulator.
#
# ctest and add_custom_command put CMAKE_CROSSCOMPILING_EMULATOR (qemu for
# arm64, wine for Windows, ...) in front of a program only when the command
# names the target itself. Test scripts that start the programs get them
# through
#   velmora_program(<variable> <target>)
# which yields $<TARGET_FILE:target> in a native build and, in an emulated
# cross build, a small launcher <build>/emulated/<target> that runs the
# program under the emulator with the arguments it was given.
function(velmora_program var target)
  if(CMAKE_CROSSCOMPILING AND CMAKE_CROSSCOMPILING_EMULATOR)
    set(launcher ${CMAKE_BINARY_DIR}/emulated/${target})
    get_property(made GLOBAL PROPERTY velmora_launchers)
    if(NOT target IN_LIST made)
      set_property(GLOBAL APPEND PROPERTY velmora_launchers ${target})
      list(JOIN CMAKE_CROSSCOMPILING_EMULATOR "\" \"" emulator)
      file(GENERATE OUTPUT ${launcher}
        CONTENT "#!/bin/sh\nexec \"${emulator}\" \"$<TARGET_FILE:${target}>\" \"$@\"\n"
        FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    endif()
    set(${var} ${launcher} PARENT_SCOPE)
  else()
    set(${var} $<TARGET_FILE:${target}> PARENT_SCOPE)
  endif()
endfunction()
