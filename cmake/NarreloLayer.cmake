# Helpers shared by the layer folders.

# narrelo_layer(<name> DEPS <libs...>): a static library from every .cpp of the calling
# folder (new files are picked up without editing the list), included as "<layer>/<file>.h"
# from the repository root.
function(narrelo_layer name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)  # a layer that has only headers so far
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# narrelo_tests(LIBS <libs...> [LABELS <labels...>]): one GoogleTest program per *_test.cpp
# of the calling folder, registered with CTest test by test. Test programs run with the
# folder's fixtures/ as NARRELO_FIXTURES. Files named *_threads_test.cpp also get the label
# "threads", which the ThreadSanitizer configuration runs; files named *_gui_test.cpp get the
# label "gui": they open windows and need a display (scripts/test.sh runs them under Xvfb);
# files named *_e2e_test.cpp get the label "e2e" (they start the real narrelo-demoserver, see
# tests/support/demo_server_process.h).
function(narrelo_tests)
  cmake_parse_arguments(ARG "" "" "LIBS;LABELS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  file(GLOB support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/support/*.cpp)
  get_filename_component(layer ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  foreach(test ${tests})
    get_filename_component(base ${test} NAME_WE)
    set(target ${layer}_${base})
    add_executable(${target} ${test} ${support})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    target_compile_definitions(${target} PRIVATE
      NARRELO_FIXTURES="${CMAKE_CURRENT_SOURCE_DIR}/fixtures"
      NARRELO_BINARY_DIR="${CMAKE_BINARY_DIR}")
    set(labels ${layer} ${ARG_LABELS})
    if(base MATCHES "_threads_test$")
      list(APPEND labels threads)
    endif()
    if(base MATCHES "_gui_test$")
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
    gtest_discover_tests(${target}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS "${label}" TIMEOUT 300)
  endforeach()
endfunction()
