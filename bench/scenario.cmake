# Scenario files: a simulated day of the manual's night-mode example through vxtest's runner,
# against the same day run on the bare session.
if(TARGET vx_debugger)
  vx_add_bench(scenario_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/scenario_bench.cpp
    LIBS vx_debugger)
  target_compile_definitions(scenario_bench PRIVATE VX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endif()
