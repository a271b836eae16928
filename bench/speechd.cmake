# SPDX-License-Identifier: GPL-3.0-or-later
# bench_speechd: sd_narrelo's first audio and STOP latency against speech-dispatcher's
# espeak-ng module, both driven over pipes the same way (speechd_bench.cpp says how).
if(TARGET sd_narrelo)
  add_executable(bench_speechd ${CMAKE_CURRENT_LIST_DIR}/speechd_bench.cpp)
  target_link_libraries(bench_speechd PRIVATE benchmark::benchmark Threads::Threads)
  target_compile_definitions(bench_speechd PRIVATE NARRELO_BINARY_DIR="${CMAKE_BINARY_DIR}")
  add_dependencies(bench_speechd sd_narrelo)
endif()
