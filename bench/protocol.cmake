# Controller protocol: request round trip and transfer throughput against a
# local echo peer, each next to the floor the 10 ms pause after a send sets.
if(TARGET vx_protocol)
  find_package(Threads REQUIRED)
  vx_add_bench(protocol_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/protocol_bench.cpp
    LIBS vx_protocol Threads::Threads)
endif()
