# libFuzzer target fuzz_rtf_reader: the notes file reader (clang only).
# vx_rtf itself gets the coverage instrumentation and sanitizers too, so the
# fuzzer is guided by the reader's branches, not only by the target's.
if(TARGET vx_rtf AND NOT TARGET fuzz_rtf_reader)
  set(vx_rtf_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=undefined)
  target_compile_options(vx_rtf PRIVATE -fsanitize=fuzzer-no-link ${vx_rtf_sanitizers})
  target_link_options(vx_rtf INTERFACE -fsanitize=address,undefined)

  add_executable(fuzz_rtf_reader ${CMAKE_CURRENT_LIST_DIR}/rtf_reader_fuzz.cpp)
  target_compile_options(fuzz_rtf_reader PRIVATE -fsanitize=fuzzer ${vx_rtf_sanitizers})
  target_link_options(fuzz_rtf_reader PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(fuzz_rtf_reader PRIVATE vx_rtf)
endif()
