# Whole-program benchmarks: spawn the real display and velmora-send, measure
# start-up, loop CPU, latency and peak memory from outside.
if(TARGET velmora AND TARGET velmora-send AND TARGET velmora_reliability_support)
  add_executable(SystemBench ${CMAKE_CURRENT_SOURCE_DIR}/SystemBench.cpp)
  target_link_libraries(SystemBench PRIVATE benchmark::benchmark velmora_reliability_support Threads::Threads
    velmora_warnings)
  add_dependencies(SystemBench velmora velmora-send)
endif()
