# The watch window at 0.2 s with 16 charted variables: an hour of samples fed in,
# then the time of a sample and of a chart redraw, and the memory, for the record.
if(TARGET vx_dialogs AND TARGET vx_test_support_ui)
  vx_add_bench(watch_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/watch_bench.cpp
    LIBS vx_dialogs vx_test_support_ui)
  # The longest stall of the window's event loop while the watch samples the simulator
  # with every fifth reply dropped.
  if(TARGET vx_sim)
    vx_add_bench(watch_stall_bench
      SOURCES ${CMAKE_CURRENT_LIST_DIR}/watch_stall_bench.cpp
      LIBS vx_dialogs vx_test_support_ui vx_sim)
  endif()
endif()
