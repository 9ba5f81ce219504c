# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 toolchain
# (package g++-mingw-w64-x86-64-posix). The -posix compilers are named
# explicitly: their libstdc++ has std::thread, and the system's default
# alternative is left alone.
#
#   scripts/windows-deps.sh            # builds SDL2, SDL2_ttf, SDL2_image, FreeType,
#                                      # libjpeg-turbo, libqrencode, GoogleTest and
#                                      # the Asio and websocketpp headers once
#   cmake -S . -B build-windows -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# VELMORA_WINDOWS_DEPS is the dependency prefix (bin/, include/, lib/). It
# defaults to the one the script last completed for this user
# (${XDG_CACHE_HOME:-~/.cache}/velmora/windows-deps/current). Executables run under wine64 when it is
# installed, so try_run, gtest discovery and ctest work from Linux.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELMORA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELMORA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELMORA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELMORA_MINGW_TRIPLE}-windres)
# CMake derives the binutils prefix from the compiler name, which the -posix
# suffix defeats: name them, or the host's strip and objdump would be used.
foreach(tool AR RANLIB)
  string(TOLOWER ${tool} name)
  set(CMAKE_${tool} /usr/bin/${VELMORA_MINGW_TRIPLE}-gcc-${name}-posix CACHE FILEPATH "")
endforeach()
foreach(tool STRIP NM OBJCOPY OBJDUMP DLLTOOL ADDR2LINE READELF)
  string(TOLOWER ${tool} name)
  set(CMAKE_${tool} /usr/bin/${VELMORA_MINGW_TRIPLE}-${name} CACHE FILEPATH "")
endforeach()
set(CMAKE_LINKER /usr/bin/${VELMORA_MINGW_TRIPLE}-ld CACHE FILEPATH "")

if(NOT VELMORA_WINDOWS_DEPS AND DEFINED ENV{VELMORA_WINDOWS_DEPS})
  set(VELMORA_WINDOWS_DEPS "$ENV{VELMORA_WINDOWS_DEPS}")
endif()
if(NOT VELMORA_WINDOWS_DEPS)
  if(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
    set(VELMORA_WINDOWS_DEPS "$ENV{XDG_CACHE_HOME}/velmora/windows-deps/current")
  else()
    set(VELMORA_WINDOWS_DEPS "$ENV{HOME}/.cache/velmora/windows-deps/current")
  endif()
endif()
# Kept as given (not resolved through the `current` link), so a build tree
# follows the script's next cache without being configured again.
get_filename_component(VELMORA_WINDOWS_DEPS "${VELMORA_WINDOWS_DEPS}" ABSOLUTE)
set(VELMORA_WINDOWS_DEPS "${VELMORA_WINDOWS_DEPS}" CACHE PATH
  "Prefix holding the Windows builds of the third-party libraries")
# try_compile projects get their own copy of the toolchain file; hand the
# prefix on to them.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VELMORA_WINDOWS_DEPS)

# The MinGW sysroot first, then the dependency prefix; nothing from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${VELMORA_MINGW_TRIPLE} "${VELMORA_WINDOWS_DEPS}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
list(APPEND CMAKE_PREFIX_PATH "${VELMORA_WINDOWS_DEPS}")

# pkg-config sees only the dependency prefix, never the host's .pc files.
set(ENV{PKG_CONFIG_LIBDIR} "${VELMORA_WINDOWS_DEPS}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# The C and C++ runtimes (libgcc, libstdc++, winpthread) go into each binary,
# so a program needs only the SDL DLLs beside it. -static only changes how
# -l names are looked up; import libraries given by path (SDL2.dll's) still
# link against the DLL.
option(VELMORA_WINDOWS_STATIC_RUNTIME "Link libgcc, libstdc++ and winpthread statically" ON)
if(VELMORA_WINDOWS_STATIC_RUNTIME)
  set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
  set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
  set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
endif()

# Debian ships wine64 outside PATH (/usr/lib/wine); the `wine` wrapper picks
# it for 64-bit programs as well.
find_program(VELMORA_WINE64 NAMES wine64 wine PATHS /usr/lib/wine /usr/lib64/wine
  NO_CMAKE_FIND_ROOT_PATH)
# WINEPATH lets the programs find the dependency DLLs without copying them.
if(VELMORA_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR env "WINEPATH=Z:${VELMORA_WINDOWS_DEPS}/bin" "${VELMORA_WINE64}")
endif()
