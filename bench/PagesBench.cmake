add_executable(PagesBench ${CMAKE_CURRENT_SOURCE_DIR}/PagesBench.cpp)
target_include_directories(PagesBench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(PagesBench PRIVATE velmora_app velmora_sdl benchmark::benchmark velmora_warnings)
