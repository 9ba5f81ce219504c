# Telemetry scanner throughput (BM_ParseMessage: 33-field message via the UDP entry).
add_executable(ParseBench ${CMAKE_CURRENT_SOURCE_DIR}/ParseBench.cpp)
target_link_libraries(ParseBench PRIVATE benchmark::benchmark velmora_link velmora_warnings)
