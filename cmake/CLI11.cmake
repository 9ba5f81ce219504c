# CLI11 (Debian's libcli11-dev), header-only: the programs' command lines.
# velmora_cli11 carries its include folder. A cross build searches only its
# target's folders, and the host's /usr/include must not join them (its C
# headers are the host's): it takes a copy of the host's CLI/ folder alone.
add_library(velmora_cli11 INTERFACE)
if(CMAKE_CROSSCOMPILING)
  find_path(VELMORA_CLI11_HOST_INCLUDE CLI/CLI.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT VELMORA_CLI11_HOST_INCLUDE)
    message(FATAL_ERROR "CLI11's headers are missing: install libcli11-dev (scripts/setup.sh)")
  endif()
  file(COPY ${VELMORA_CLI11_HOST_INCLUDE}/CLI DESTINATION ${CMAKE_BINARY_DIR}/third-party/include)
  target_include_directories(velmora_cli11 SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/third-party/include)
else()
  find_package(CLI11 2.1 CONFIG REQUIRED)
  target_link_libraries(velmora_cli11 INTERFACE CLI11::CLI11)
endif()
