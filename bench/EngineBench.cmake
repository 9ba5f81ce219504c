# Engine frame benchmarks: the software-rendered SDL frame and the engine's
# own cost through the recording device.
add_executable(EngineBench ${CMAKE_CURRENT_SOURCE_DIR}/EngineBench.cpp)
target_link_libraries(EngineBench PRIVATE benchmark::benchmark velmora_engine velmora_sdl velmora_warnings)
