# SPDX-License-Identifier: GPL-3.0-or-later
# bench_http: THTTPGet's download (reads of at most 4,096 bytes out of a paused transfer)
# against libcurl's plain easy transfer into memory, both from a loopback web server.
find_package(CURL REQUIRED)  # the service loads it at run time; this compares with it linked
pkg_check_modules(BENCH_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
add_executable(bench_http
  ${CMAKE_CURRENT_LIST_DIR}/http_bench.cpp
  ${CMAKE_SOURCE_DIR}/tests/service/support/http_test_server.cpp)
target_link_libraries(bench_http PRIVATE service CURL::libcurl benchmark::benchmark PkgConfig::BENCH_HTTPLIB)
