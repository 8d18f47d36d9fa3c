# Live checks: time from a one-character change to the compiler's diagnostic.
if(TARGET vx_language)
  vx_add_bench(language_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/language_bench.cpp
    LIBS vx_language)
endif()
