# Compiler throughput on generated programs: lines/s, tokens/s and the growth ratios.
if(TARGET vx_compiler)
  vx_add_bench(compiler_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/compiler_bench.cpp
    LIBS vx_compiler)
endif()

# vxc and luac5.4 as child processes on the same generated programs: time, memory, ratios.
if(TARGET vxc)
  add_executable(compiler_vs_lua ${CMAKE_CURRENT_LIST_DIR}/compiler_vs_lua.cpp)
  target_link_libraries(compiler_vs_lua PRIVATE vx_compiler)
  target_include_directories(compiler_vs_lua PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_definitions(compiler_vs_lua PRIVATE VXC_PATH="$<TARGET_FILE:vxc>")
  add_dependencies(compiler_vs_lua vxc)
endif()
