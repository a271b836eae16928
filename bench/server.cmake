# SPDX-License-Identifier: GPL-3.0-or-later
# bench_demo_server: narrelo-demoserver's speed: how long a 15-word sentence takes from the
# request to a finished audio file (through the real client and SOAP, and the synthesis
# alone, stage by stage), and how many seconds of audio it makes per second with one and
# with two clients.
if(TARGET server)
  add_executable(bench_demo_server ${CMAKE_CURRENT_LIST_DIR}/demo_server_bench.cpp)
  target_link_libraries(bench_demo_server PRIVATE server service pipeline benchmark::benchmark)
endif()

# bench_first_sound: the real service process against espeak-ng, interleaved: the first
# sample of a new sentence against espeak-ng's first audio byte, and throughput with one and
# two clients against one and two service processes, with CPU per second of audio, and the
# seam measure of sentences answered in parts.
if(TARGET server AND TARGET narrelo-demoserver)
  add_executable(bench_first_sound ${CMAKE_CURRENT_LIST_DIR}/first_sound_bench.cpp)
  target_link_libraries(bench_first_sound PRIVATE server service pipeline records foundation)
  target_include_directories(bench_first_sound PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_definitions(bench_first_sound PRIVATE NARRELO_BINARY_DIR="${CMAKE_BINARY_DIR}")
  add_dependencies(bench_first_sound narrelo-demoserver)
endif()

# bench_vorbis_settings: the encoder's settings (quality levels, managed bit rates) against
# their CPU and the decoded sound's difference from the speech (docs/encoder.md).
if(TARGET server)
  add_executable(bench_vorbis_settings ${CMAKE_CURRENT_LIST_DIR}/vorbis_settings_bench.cpp)
  target_link_libraries(bench_vorbis_settings PRIVATE server pipeline records foundation)
  target_include_directories(bench_vorbis_settings PRIVATE ${CMAKE_SOURCE_DIR})
endif()
