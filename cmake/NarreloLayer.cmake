# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers shared by the layer folders.

# narrelo_layer(<name> SOURCES <files...> DEPS <libs...> [PRIVATE_DEPS <libs...>]): a static library of the listed
# .cpp files of the calling folder, included as "<layer>/<file>.h" from the repository root.
# The list is explicit: a new file joins the layer by being named here, so that a file
# moved to another layer cannot stay compiled into the old one unnoticed. A layer without
# sources (headers only) is an INTERFACE library.
function(narrelo_layer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  if(NOT ARG_SOURCES)
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# narrelo_test_support(SOURCES <files...> LIBS <libs...>): the calling test folder's
# helpers (support/*.cpp) as the library <layer>_test_support. The folder's own tests link it
# (narrelo_tests does), and so may another layer's tests, instead of compiling its files by
# path. Helpers that read the folder's fixtures/ see it as NARRELO_FIXTURES.
function(narrelo_test_support)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  get_filename_component(layer ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  add_library(${layer}_test_support STATIC ${ARG_SOURCES})
  target_link_libraries(${layer}_test_support PUBLIC ${ARG_LIBS} GTest::gtest GTest::gmock)
  target_compile_definitions(${layer}_test_support PRIVATE
    NARRELO_FIXTURES="${CMAKE_CURRENT_SOURCE_DIR}/fixtures"
    NARRELO_BINARY_DIR="${CMAKE_BINARY_DIR}")
endfunction()

# narrelo_tests(TESTS <files...> LIBS <libs...> [LABELS <labels...>]): one GoogleTest
# program per listed *_test.cpp of the calling folder, registered with CTest test by test,
# linked with the folder's <layer>_test_support when it has one. Test programs run with the
# folder's fixtures/ as NARRELO_FIXTURES. Files named *_threads_test.cpp also get the label
# "threads", which the ThreadSanitizer configuration runs; files named *_gui_test.cpp get the
# label "gui": they open windows and need a display (scripts/test.sh runs them under Xvfb);
# files named *_e2e_test.cpp get the label "e2e" (they start the real narrelo-demoserver, see
# tests/support/demo_server_process.h). A window test against the server is named
# *_gui_e2e_test.cpp and gets both. A test file that drives the X server's pointer and keys
# (wxUIActionSimulator) holds the resource lock "x-pointer" while it runs.
function(narrelo_tests)
  cmake_parse_arguments(ARG "" "" "TESTS;LIBS;LABELS" ${ARGN})
  get_filename_component(layer ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(support "")
  if(TARGET ${layer}_test_support)
    set(support ${layer}_test_support)
  endif()
  foreach(test ${ARG_TESTS})
    get_filename_component(base ${test} NAME_WE)
    set(target ${layer}_${base})
    add_executable(${target} ${test})
    target_link_libraries(${target} PRIVATE ${support} ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    target_compile_definitions(${target} PRIVATE
      NARRELO_FIXTURES="${CMAKE_CURRENT_SOURCE_DIR}/fixtures"
      NARRELO_BINARY_DIR="${CMAKE_BINARY_DIR}")
    set(labels ${layer} ${ARG_LABELS})
    if(base MATCHES "_threads_test$")
      list(APPEND labels threads)
    endif()
    if(base MATCHES "_gui_test$|_gui_e2e_test$")
      list(APPEND labels gui)
    endif()
    # End-to-end tests talk to a real narrelo-demoserver, which must be built first.
    if(base MATCHES "_e2e_test$")
      list(APPEND labels e2e)
      if(TARGET narrelo-demoserver)
        add_dependencies(${target} narrelo-demoserver)
      endif()
    endif()
    # gtest_discover_tests splits a list value given to PROPERTIES into separate arguments
    # (CMake 3.25), which loses every label after the first; so the labels travel joined
    # into one ("foundation-threads"). ctest -L and -LE take regular expressions, so
    # "-L threads" and "-L foundation" both still select it.
    string(JOIN "-" label ${labels})
    # Tests that press keys and move the pointer through the X server (wxUIActionSimulator)
    # share its one pointer and keyboard focus: two at once would take each other's clicks
    # and keys, so they never run at the same time (the other tests still run beside them).
    file(READ ${CMAKE_CURRENT_SOURCE_DIR}/${test} source)
    set(lock "")
    if(source MATCHES "wxUIActionSimulator")
      set(lock RESOURCE_LOCK x-pointer)
    endif()
    gtest_discover_tests(${target}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS "${label}" TIMEOUT 300 ${lock})
  endforeach()
endfunction()
