# SPDX-License-Identifier: GPL-3.0-or-later
# libFuzzer targets for the Turkish text processing, the text a client sends: the reading of
# each text kind and the sentence splitter. Included from tests/fuzz/CMakeLists.txt, which
# has checked the compiler and the sanitizer already and instruments foundation.
target_compile_options(turkish PRIVATE -fsanitize=fuzzer-no-link)

set(kinds running_text address commercial_title person_name plate phone)
set(kind 0)
foreach(name ${kinds})
  set(target fuzz_normalise_${name})
  add_executable(${target} ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_turkish_text.cpp)
  target_compile_definitions(${target} PRIVATE NARRELO_FUZZ_KIND=${kind})
  list(APPEND turkish_fuzzers ${target})
  math(EXPR kind "${kind} + 1")
endforeach()
add_executable(fuzz_split_sentences ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_turkish_text.cpp)
target_compile_definitions(fuzz_split_sentences PRIVATE NARRELO_FUZZ_SPLIT)
list(APPEND turkish_fuzzers fuzz_split_sentences)

foreach(target ${turkish_fuzzers})
  target_compile_options(${target} PRIVATE -fsanitize=fuzzer)
  target_link_options(${target} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${target} PRIVATE turkish)
endforeach()
