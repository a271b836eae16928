# SPDX-License-Identifier: GPL-3.0-or-later
# The layering rule, checked on every #include "layer/..." in the layer folders.
#
# The client stack is a column: platform/ < foundation/ < records/ < protocol/ < service/ <
# pipeline/ < ui/ < app/, and a file may include its own layer and the layers below it, never
# one above. The speech side stands beside that column, not on top of app/: the Turkish
# front end (turkish/) uses platform/ and foundation/; the speech engine (speech/) uses
# those and turkish/; the speech service (server/) uses platform/ to protocol/ (the wire
# protocol both sides share), turkish/ and speech/, never the client (service/ and above);
# and no client layer includes any of the three. This is the README's layout table; the
# check also reads that table and fails when its rows no longer list the layers in this
# order, so the two cannot drift apart silently. The compiler enforces the same table (each
# layer's target sees only the include folders of the layers it may use); this check also
# covers what the compiler cannot see, such as a header no target compiles.
#
#   cmake -DROOT=<tree> -P check_layering.cmake          check a tree (and its README.md)
#   cmake -DROOT=<dir> -DSELF_TEST=ON -P check_layering.cmake
#       writes a small tree with one planted upward include into <dir> and passes only when
#       the check finds exactly that include and passes on the tree without it.
cmake_minimum_required(VERSION 3.25)

set(CLIENT_LAYERS platform foundation records protocol service pipeline ui app)
set(SPEECH_LAYERS turkish speech server)
set(ALL_LAYERS ${CLIENT_LAYERS} ${SPEECH_LAYERS})
set(turkish_MAY_INCLUDE platform foundation turkish)
set(speech_MAY_INCLUDE platform foundation turkish speech)
set(server_MAY_INCLUDE platform foundation records protocol turkish speech server)

# The layers `layer` may include.
function(allowed_layers layer out)
  if(DEFINED ${layer}_MAY_INCLUDE)
    set(${out} ${${layer}_MAY_INCLUDE} PARENT_SCOPE)
    return()
  endif()
  list(FIND CLIENT_LAYERS ${layer} rank)
  math(EXPR last "${rank}")
  set(allowed "")
  foreach(i RANGE 0 ${last})
    list(GET CLIENT_LAYERS ${i} below)
    list(APPEND allowed ${below})
  endforeach()
  set(${out} ${allowed} PARENT_SCOPE)
endfunction()

# Sets `out` to the violations in `root`, one "file: includes target" per item.
function(find_violations root out)
  set(found "")
  foreach(layer ${ALL_LAYERS})
    allowed_layers(${layer} allowed)
    file(GLOB_RECURSE sources RELATIVE ${root} ${root}/${layer}/*.h ${root}/${layer}/*.cpp
         ${root}/${layer}/*.c ${root}/${layer}/*.hpp ${root}/${layer}/*.inc)
    foreach(source ${sources})
      file(STRINGS ${root}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z_]+/")
      foreach(line ${includes})
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" target "${line}")
        string(REGEX REPLACE "/.*" "" target_layer "${target}")
        list(FIND ALL_LAYERS ${target_layer} is_layer)
        if(is_layer EQUAL -1)
          continue()
        endif()
        list(FIND allowed ${target_layer} ok)
        if(ok EQUAL -1)
          list(APPEND found "${source}: includes ${target}")
        endif()
      endforeach()
    endforeach()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

# The layer folders in the order the README's layout table lists them.
function(readme_layers root out)
  file(STRINGS ${root}/README.md rows REGEX "^\\| `[a-z_]+/` \\|")
  set(layers "")
  foreach(row ${rows})
    string(REGEX REPLACE "^\\| `([a-z_]+)/`.*" "\\1" name "${row}")
    list(FIND ALL_LAYERS ${name} is_layer)
    if(NOT is_layer EQUAL -1)
      list(APPEND layers ${name})
    endif()
  endforeach()
  set(${out} "${layers}" PARENT_SCOPE)
endfunction()

function(check_tree root result)
  set(failed FALSE)
  readme_layers(${root} listed)
  if(NOT "${listed}" STREQUAL "${ALL_LAYERS}")
    message("README.md's layout table lists the layers as '${listed}', the check knows '${ALL_LAYERS}'")
    set(failed TRUE)
  endif()
  find_violations(${root} violations)
  foreach(v ${violations})
    message("layering: ${v}")
    set(failed TRUE)
  endforeach()
  set(${result} ${failed} PARENT_SCOPE)
endfunction()

if(NOT DEFINED ROOT)
  message(FATAL_ERROR "usage: cmake -DROOT=<tree> [-DSELF_TEST=ON] -P check_layering.cmake")
endif()

if(SELF_TEST)
  set(tree ${ROOT}/layering_fixture)
  file(REMOVE_RECURSE ${tree})
  set(table "")
  foreach(layer ${ALL_LAYERS})
    string(APPEND table "| `${layer}/` | a layer |\n")
  endforeach()
  file(WRITE ${tree}/README.md "| folder | holds |\n|---|---|\n${table}")
  file(WRITE ${tree}/foundation/low.h "#include \"platform/lowest.h\"\n")
  file(WRITE ${tree}/server/protocol_user.cpp "#include \"protocol/xml_text.h\"\n#include <string>\n")
  file(WRITE ${tree}/speech/engine.cpp "#include \"turkish/turkish_text.h\"\n#include \"foundation/exceptions.h\"\n")
  file(WRITE ${tree}/app/top.cpp "#include \"ui/form.h\"\n#include \"app/top.h\"\n")
  check_tree(${tree} failed)
  if(failed)
    message(FATAL_ERROR "self-test: the clean fixture was reported")
  endif()
  # The planted faults: a record file reaching up into the windows, the client program
  # reaching into the speech side, the service reaching into the client, the speech engine
  # into the service, and the front end into the speech engine.
  file(WRITE ${tree}/records/upward.h "#pragma once\n  #  include \"ui/form.h\"\n")
  file(WRITE ${tree}/app/sideways.cpp "#include \"turkish/number.h\"\n")
  file(WRITE ${tree}/server/client_user.cpp "#include \"service/http_get.h\"\n")
  file(WRITE ${tree}/speech/service_user.cpp "#include \"server/file_id.h\"\n")
  file(WRITE ${tree}/turkish/engine_user.h "#include \"speech/speech_engine.h\"\n")
  find_violations(${tree} violations)
  set(expected "app/sideways.cpp: includes turkish/number.h"
               "records/upward.h: includes ui/form.h"
               "server/client_user.cpp: includes service/http_get.h"
               "speech/service_user.cpp: includes server/file_id.h"
               "turkish/engine_user.h: includes speech/speech_engine.h")
  list(SORT violations)
  if(NOT "${violations}" STREQUAL "${expected}")
    message(FATAL_ERROR "self-test: expected '${expected}', found '${violations}'")
  endif()
  message("self-test: the planted includes were found: ${violations}")
  file(REMOVE_RECURSE ${tree})
  return()
endif()

check_tree(${ROOT} failed)
if(failed)
  message(FATAL_ERROR "an #include runs against the layer table (README.md, Layout)")
endif()
message("layering: every include keeps to the layer table")
