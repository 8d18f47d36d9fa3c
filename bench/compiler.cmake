# Compiler throughput on generated programs: lines/s, tokens/s and the growth ratios.
if(TARGET vx_compiler)
  vx_add_bench(compiler_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/compiler_bench.cpp
    LIBS vx_compiler)
endif()
