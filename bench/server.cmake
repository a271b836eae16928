# bench_demo_server: narrelo-demoserver's speed: how long a 15-word sentence takes from the
# request to a finished audio file (through the real client and SOAP, and the synthesis
# alone, stage by stage), and how many seconds of audio it makes per second with one and
# with two clients.
if(TARGET server)
  add_executable(bench_demo_server ${CMAKE_CURRENT_LIST_DIR}/demo_server_bench.cpp)
  target_link_libraries(bench_demo_server PRIVATE server service pipeline benchmark::benchmark)
endif()
