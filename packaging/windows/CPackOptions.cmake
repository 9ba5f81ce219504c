# Read by cpack for each package it makes: the installer unpacks the program
# folder's contents straight into its install folder.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
endif()
