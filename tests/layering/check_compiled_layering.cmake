# SPDX-License-Identifier: GPL-3.0-or-later
# The compiler refuses an upward include: each case compiles a one-line file with the include
# paths a layer's target really has (written at generate time into <dir>/<layer>.includes)
# and expects it to compile when the layer may use the included one, and to fail with the
# header not found when it may not. The allowed cases show that a refusal comes from the
# include paths, not from a broken probe.
#
#   cmake -DCXX=<compiler> -DDIR=<folder of .includes files> -P check_compiled_layering.cmake
cmake_minimum_required(VERSION 3.25)

if(NOT DEFINED CXX OR NOT DEFINED DIR)
  message(FATAL_ERROR "usage: cmake -DCXX=<compiler> -DDIR=<dir> -P check_compiled_layering.cmake")
endif()

# layer|include line|expected ("compiles" or "refused")
set(cases
  "records|#include \"foundation/code_page.h\"|compiles"
  "records|#include \"app/form_login.h\"|refused"
  "records|#include <app/form_login.h>|refused"
  "records|#include \"ui/button.h\"|refused"
  "protocol|#include \"foundation/code_page.h\"|compiles"
  "protocol|#include \"service/demo_client.h\"|refused"
  "pipeline|#include \"service/demo_client.h\"|compiles"
  "pipeline|#include \"ui/button.h\"|refused"
  "pipeline|#include \"server/service_limits.h\"|refused"
  "app|#include \"turkish/turkish_text.h\"|refused"
  "turkish|#include \"turkish/turkish_text.h\"|compiles"
  "turkish|#include \"speech/speech_limits.h\"|refused"
  "turkish|#include \"records/narrelo_text.h\"|refused"
  "speech|#include \"turkish/turkish_text.h\"|compiles"
  "speech|#include \"server/service_limits.h\"|refused"
  "speech|#include \"protocol/xml_text.h\"|refused"
  "server|#include \"speech/speech_engine.h\"|compiles"
  "server|#include \"protocol/xml_text.h\"|compiles"
  "server|#include \"service/demo_client.h\"|refused"
  "server|#include <pipeline/wave_out.h>|refused"
  "speechd|#include \"speech/speech_engine.h\"|compiles"
  "speechd|#include \"server/speech_file.h\"|refused"
  "speechd|#include \"protocol/xml_text.h\"|refused")

set(work ${DIR}/probes)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work})
set(failed "")
set(ran 0)
foreach(c ${cases})
  string(REPLACE "|" ";" parts "${c}")
  list(GET parts 0 layer)
  list(GET parts 1 line)
  list(GET parts 2 expected)
  # A layer this configuration does not build (a server-only build has no client) is skipped.
  if(NOT EXISTS ${DIR}/${layer}.includes)
    continue()
  endif()
  file(READ ${DIR}/${layer}.includes includes)
  string(STRIP "${includes}" includes)
  set(flags "")
  foreach(dir ${includes})
    list(APPEND flags -I${dir})
  endforeach()
  math(EXPR ran "${ran} + 1")
  set(probe ${work}/probe_${ran}.cpp)
  file(WRITE ${probe} "${line}\n")
  execute_process(COMMAND ${CXX} -std=c++20 -fsyntax-only ${flags} ${probe}
                  RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
  string(REGEX REPLACE "^#include [<\"]([^>\"]+)[>\"]$" "\\1" header "${line}")
  if(expected STREQUAL "compiles" AND NOT result EQUAL 0)
    list(APPEND failed "${layer}: '${line}' should compile and did not:\n${errors}")
  elseif(expected STREQUAL "refused")
    if(result EQUAL 0)
      list(APPEND failed "${layer}: '${line}' compiled; the layer may not use it")
    elseif(NOT errors MATCHES "${header}: No such file or directory")
      list(APPEND failed "${layer}: '${line}' failed, but not for the include path:\n${errors}")
    endif()
  endif()
endforeach()
file(REMOVE_RECURSE ${work})
if(failed)
  string(JOIN "\n" text ${failed})
  message(FATAL_ERROR "${text}")
endif()
if(ran EQUAL 0)
  message(FATAL_ERROR "no layer's include paths were found in ${DIR}")
endif()
message("compiled layering: ${ran} probes as expected")
