# The simulator's own cost: answering a request in-process, judging a program
# upload, and a raw loopback round trip (no 10 ms pause), for the record.
if(TARGET vx_sim)
  vx_add_bench(sim_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/sim_bench.cpp
    LIBS vx_sim)
endif()
