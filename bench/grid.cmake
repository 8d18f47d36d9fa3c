# The variables grid's cost per refresh: 1024 values written and the changed
# cells highlighted, next to the watch window's shortest sampling interval.
if(TARGET vx_ui)
  vx_add_bench(grid_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/grid_bench.cpp
    LIBS vx_ui)
endif()
