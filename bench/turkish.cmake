# SPDX-License-Identifier: GPL-3.0-or-later
# bench_turkish: sentence splitting of a 1 MB Turkish text (abbreviations, ordinals,
# numbers, quotes, line breaks and lists mixed in), and the reading of a sentence.
if(TARGET turkish)
  add_executable(bench_turkish ${CMAKE_CURRENT_LIST_DIR}/turkish_bench.cpp)
  target_link_libraries(bench_turkish PRIVATE turkish benchmark::benchmark)
endif()
