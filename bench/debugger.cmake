# The debug session's cost: a cycle against the plain simulator's, the memory of the kept
# history, and the time to a stop and per step.
if(TARGET vx_debugger)
  vx_add_bench(debugger_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/debugger_bench.cpp
    LIBS vx_debugger)
endif()
