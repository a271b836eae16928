# SPDX-License-Identifier: GPL-3.0-or-later
# bench_pipeline: the tempo change against SoundTouch and sonic and against the plain
# scalar loop (compiled here without vectorisation), and Ogg Vorbis decoding against
# libvorbisfile's ov_read, all on one 60-second Turkish recording that espeak-ng and oggenc
# make when the benchmark starts.
pkg_check_modules(BENCH_SOUNDTOUCH REQUIRED IMPORTED_TARGET soundtouch)
pkg_check_modules(BENCH_VORBISFILE REQUIRED IMPORTED_TARGET vorbisfile)
find_library(BENCH_SONIC_LIBRARY sonic REQUIRED)

add_executable(bench_pipeline
  ${CMAKE_CURRENT_LIST_DIR}/pipeline_bench.cpp
  ${CMAKE_CURRENT_LIST_DIR}/speech_recording.cpp
  ${CMAKE_SOURCE_DIR}/tests/pipeline/support/plain_speed_change.cpp)
target_include_directories(bench_pipeline PRIVATE ${CMAKE_SOURCE_DIR}/tests/pipeline)
target_link_libraries(bench_pipeline PRIVATE pipeline benchmark::benchmark
  PkgConfig::BENCH_SOUNDTOUCH PkgConfig::BENCH_VORBISFILE ${BENCH_SONIC_LIBRARY})
# The plain loop is the baseline as a careful scalar build gives it: -O2, no vectoriser.
set_source_files_properties(${CMAKE_SOURCE_DIR}/tests/pipeline/support/plain_speed_change.cpp
  TARGET_DIRECTORY bench_pipeline
  PROPERTIES COMPILE_OPTIONS "-O2;-fno-tree-vectorize;-ffp-contract=off")
