# Project-wide strictness: every target we own builds warning-free. Our own
# checks (test.sh, CI, the cross builds) turn warnings into errors; a
# packager's or a user's build with another compiler only shows them.
option(VELMORA_WERROR "Treat compiler warnings as errors" OFF)
add_library(velmora_warnings INTERFACE)
target_compile_options(velmora_warnings INTERFACE
  -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wno-missing-field-initializers)
if(VELMORA_WERROR)
  target_compile_options(velmora_warnings INTERFACE -Werror)
endif()
# GCC 12's optimiser reports overlapping copies inside std::string that cannot
# happen ("'" + name + "'" at -O3, a known false report). Only that
# compiler series is spared the check.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
   AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(velmora_warnings INTERFACE -Wno-restrict)
endif()

# Adds a gtest executable and registers its cases with ctest.
function(velmora_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main velmora_warnings)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # A test program's first start under an emulator (wine) may be slow.
  set(discovery_timeout 5)
  if(CMAKE_CROSSCOMPILING)
    set(discovery_timeout 60)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT ${discovery_timeout}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=offscreen;SDL_RENDER_DRIVER=software;VELMORA_TEST_OUT=${CMAKE_BINARY_DIR}/test-out")
endfunction()
