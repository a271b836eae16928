# SPDX-License-Identifier: GPL-3.0-or-later
# bench_window: a scripted run of the real reading window against a running speech service
# (scripts/measure-window.sh, scripts/screenshot.sh): time from Read to the first sound, the
# longest event-loop gap, memory over repeated readings, and the README's screenshot. It
# measures and prints; it asserts nothing.
if(TARGET app)
  add_executable(bench_window ${CMAKE_CURRENT_LIST_DIR}/window_bench.cpp)
  target_link_libraries(bench_window PRIVATE app)
endif()
