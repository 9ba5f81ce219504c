# Hardening, as Debian builds its packages: the program listens on the
# network (UDP, TCP, the browser view), so every build type gets the stack
# protector, fortified string and memory calls, stack-clash and control-flow
# protection, read-only relocations bound at start and a position-independent
# program. The sanitizer build goes without: the sanitizers do their own
# checking and do not mix with fortification.
#
# The flags are what `dpkg-buildflags` gives with every hardening feature on,
# where it exists and the build is native; the same list otherwise. A flag
# the compiler does not take for this target is left out (control-flow
# protection is branch protection on arm64). Fortification needs the
# optimiser, so an unoptimised Debug build goes without it. Windows programs
# get what PE files know instead: address-space randomisation with high
# entropy and no execution from data pages, plus the stack protector and
# fortified calls (MinGW's, through its stack-check library).
option(VELMORA_HARDEN "Build with the distribution's hardening flags" ON)

include(CheckCXXCompilerFlag)
include(CheckLinkerFlag)
include(CheckPIESupported)

function(velmora_harden)
  if(NOT VELMORA_HARDEN)
    return()
  endif()
  if(VELMORA_SANITIZE)
    message(STATUS "Hardening: off in the sanitizer build")
    return()
  endif()

  set(compile)
  set(link)
  set(source "the built-in list")
  find_program(DPKG_BUILDFLAGS dpkg-buildflags)
  if(DPKG_BUILDFLAGS AND NOT CMAKE_CROSSCOMPILING AND NOT WIN32)
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
      execute_process(
        COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${DPKG_BUILDFLAGS} --get ${kind}
        OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status ERROR_QUIET)
      if(NOT status EQUAL 0)
        continue()
      endif()
      separate_arguments(flags UNIX_COMMAND "${flags}")
      # Only the hardening: the optimisation level, debug information and
      # path mapping stay the build type's.
      foreach(flag IN LISTS flags)
        if(flag MATCHES "^-(fstack-protector|fstack-clash-protection|fcf-protection|mbranch-protection|D_FORTIFY_SOURCE)")
          list(APPEND compile ${flag})
        elseif(flag MATCHES "^-Wl,-z,")
          list(APPEND link ${flag})
        endif()
      endforeach()
    endforeach()
    set(source "dpkg-buildflags and the built-in list")
  endif()

  # The built-in list; a flag dpkg-buildflags already gave (at any level)
  # is not added twice.
  if(WIN32)
    set(wanted_compile -fstack-protector-strong -D_FORTIFY_SOURCE=2)
    set(wanted_link -Wl,--dynamicbase -Wl,--nxcompat -Wl,--high-entropy-va)
  else()
    set(wanted_compile -fstack-protector-strong -D_FORTIFY_SOURCE=2 -fstack-clash-protection)
    if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
      list(APPEND wanted_compile -mbranch-protection=standard)
    else()
      list(APPEND wanted_compile -fcf-protection)
    endif()
    set(wanted_link -Wl,-z,relro -Wl,-z,now)
  endif()
  foreach(flag IN LISTS wanted_compile)
    string(REGEX REPLACE "=.*" "" family "${flag}")
    if(flag MATCHES "^-fstack-protector")
      set(family -fstack-protector)
    endif()
    set(present ${compile})
    list(FILTER present INCLUDE REGEX "^${family}")
    if(NOT present)
      list(APPEND compile ${flag})
    endif()
  endforeach()
  foreach(flag IN LISTS wanted_link)
    if(NOT flag IN_LIST link)
      list(APPEND link ${flag})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES compile)
  list(REMOVE_DUPLICATES link)

  set(taken)
  foreach(flag IN LISTS compile)
    string(MAKE_C_IDENTIFIER "VELMORA_CXX_TAKES${flag}" var)
    if(flag MATCHES "^-D")
      set(${var} ON)
    else()
      check_cxx_compiler_flag(${flag} ${var})
    endif()
    if(NOT ${var})
      continue()
    endif()
    if(flag MATCHES "^-D_FORTIFY_SOURCE")
      # Redefined, in case the compiler sets a level of its own.
      add_compile_options($<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE> $<$<NOT:$<CONFIG:Debug>>:${flag}>)
    else()
      add_compile_options(${flag})
      if(WIN32 AND flag MATCHES "^-fstack-protector")
        # MinGW's GCC brings its stack-check library in only when the link
        # sees the flag as well.
        add_link_options(${flag})
      endif()
    endif()
    list(APPEND taken ${flag})
  endforeach()
  foreach(flag IN LISTS link)
    string(MAKE_C_IDENTIFIER "VELMORA_LINKER_TAKES${flag}" var)
    check_linker_flag(CXX ${flag} ${var})
    if(${var})
      add_link_options(${flag})
      list(APPEND taken ${flag})
    endif()
  endforeach()

  if(NOT WIN32)
    check_pie_supported(LANGUAGES C CXX)
    if(CMAKE_CXX_LINK_PIE_SUPPORTED)
      set(CMAKE_POSITION_INDEPENDENT_CODE ON PARENT_SCOPE)
      list(APPEND taken PIE)
    endif()
  endif()
  list(JOIN taken " " taken)
  message(STATUS "Hardening (${source}): ${taken}")
endfunction()

velmora_harden()
