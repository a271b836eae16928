# SPDX-License-Identifier: GPL-3.0-or-later
# bench_synthesis: one reading end to end against narrelo-demoserver on loopback (time to
# the first sample, fresh and cached; narrelo-say --wav of five minutes of sound; a real-time
# reading on SDL's disk driver counting underruns and the most bytes queued).
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/support/demo_server_process.h AND TARGET narrelo-say)
  add_executable(bench_synthesis ${CMAKE_CURRENT_LIST_DIR}/synthesis_bench.cpp)
  target_link_libraries(bench_synthesis PRIVATE pipeline service benchmark::benchmark)
  target_compile_definitions(bench_synthesis PRIVATE
    NARRELO_BINARY_DIR="${CMAKE_BINARY_DIR}"
    NARRELO_SAY_EXE="$<TARGET_FILE:narrelo-say>")
  add_dependencies(bench_synthesis narrelo-say)
  if(TARGET narrelo-demoserver)
    add_dependencies(bench_synthesis narrelo-demoserver)
  endif()
endif()
