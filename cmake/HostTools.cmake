# Build-time tools in native and cross builds.
#
# The picture generator (artgen) and the embedder (artembed) run during the
# build, so they must run on the build machine. A native build builds them
# itself and exports them to <build>/VelmoraHostTools.cmake. A cross build
# (any target: arm64, Windows, ...) builds no tools; it imports them from a
# native build of the same tree:
#
#   cmake -S . -B build && cmake --build build --target velmora-host-tools
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake \
#         -DVELMORA_HOST_TOOLS=$PWD/build
#
# Because the pictures are drawn by the same host program from the same
# sources, a cross build embeds byte-identical pictures.
#
# CMake files that run a tool ask for it by name:
#   velmora_host_tool(<variable> <tool>)
# sets <variable> to a target usable in add_custom_command(COMMAND/DEPENDS).
# tools/artgen/CMakeLists.txt adds the executables only when
# VELMORA_BUILDS_HOST_TOOLS is true.

set(VELMORA_HOST_TOOLS "" CACHE PATH
  "Native build directory whose build-time tools a cross build runs (holds VelmoraHostTools.cmake)")
set(velmora_host_tool_names artgen artembed)

if(VELMORA_HOST_TOOLS)
  set(VELMORA_BUILDS_HOST_TOOLS OFF)
  set(velmora_host_tools_file ${VELMORA_HOST_TOOLS}/VelmoraHostTools.cmake)
  if(NOT EXISTS ${velmora_host_tools_file})
    message(FATAL_ERROR "VELMORA_HOST_TOOLS=${VELMORA_HOST_TOOLS} holds no VelmoraHostTools.cmake: "
      "configure a native build there first (cmake -S . -B ${VELMORA_HOST_TOOLS}) and build its "
      "'velmora-host-tools' target")
  endif()
  include(${velmora_host_tools_file})
  foreach(tool IN LISTS velmora_host_tool_names)
    # Built in whatever configuration the native build uses; CMake takes that
    # one whatever this build's configuration is.
    get_target_property(configs VelmoraHost::${tool} IMPORTED_CONFIGURATIONS)
    list(GET configs 0 config)
    get_target_property(location VelmoraHost::${tool} IMPORTED_LOCATION_${config})
    if(NOT EXISTS "${location}")
      message(FATAL_ERROR "${location} is missing: build the 'velmora-host-tools' target in ${VELMORA_HOST_TOOLS}")
    endif()
  endforeach()
  message(STATUS "Build-time tools from ${VELMORA_HOST_TOOLS}")
elseif(CMAKE_CROSSCOMPILING)
  message(FATAL_ERROR "A cross build runs its build-time tools from a native build: "
    "pass -DVELMORA_HOST_TOOLS=<native build directory> (see cmake/HostTools.cmake)")
else()
  set(VELMORA_BUILDS_HOST_TOOLS ON)
endif()

function(velmora_host_tool var tool)
  if(VELMORA_BUILDS_HOST_TOOLS)
    set(${var} ${tool} PARENT_SCOPE)
  else()
    set(${var} VelmoraHost::${tool} PARENT_SCOPE)
  endif()
endfunction()

# Called once the tool targets exist: the export for cross builds, and one
# target that builds just the tools.
function(velmora_export_host_tools)
  if(NOT VELMORA_BUILDS_HOST_TOOLS)
    return()
  endif()
  export(TARGETS ${velmora_host_tool_names} NAMESPACE VelmoraHost::
    FILE ${CMAKE_BINARY_DIR}/VelmoraHostTools.cmake)
  add_custom_target(velmora-host-tools DEPENDS ${velmora_host_tool_names})
endfunction()
