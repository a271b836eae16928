# SPDX-License-Identifier: GPL-3.0-or-later
# Every source file of a layer folder and every test of a test folder is named in that
# folder's CMakeLists.txt. The lists are explicit (no globs), so a file that is added but
# not named would be left out silently: a test that never runs, a source whose absence
# shows only as a link error somewhere else. This check names such files.
#
#   cmake -DROOT=<tree> -P check_source_lists.cmake
cmake_minimum_required(VERSION 3.25)

if(NOT DEFINED ROOT)
  message(FATAL_ERROR "usage: cmake -DROOT=<tree> -P check_source_lists.cmake")
endif()

# folder, then the file patterns that folder's CMakeLists.txt must name (relative names).
set(checks
  "platform|*.cpp" "foundation|*.cpp" "records|*.cpp" "protocol|*.cpp" "service|*.cpp"
  "pipeline|*.cpp" "ui|*.cpp" "app|*.cpp;narrelo/*.cpp;narrelo_say/*.cpp;narrelo_reg/*.cpp"
  "server|*.cpp;narrelo_demoserver/*.cpp" "turkish|*.cpp" "speech|*.cpp"
  "tests/platform|*_test.cpp;support/*.cpp" "tests/foundation|*_test.cpp;support/*.cpp"
  "tests/records|*_test.cpp;support/*.cpp" "tests/protocol|*_test.cpp;support/*.cpp"
  "tests/service|*_test.cpp;support/*.cpp" "tests/pipeline|*_test.cpp;support/*.cpp"
  "tests/ui|*_test.cpp;support/*.cpp" "tests/app|*_test.cpp;support/*.cpp"
  "tests/server|*_test.cpp;support/*.cpp" "tests/turkish|*_test.cpp;support/*.cpp"
  "tests/speech|*_test.cpp;support/*.cpp" "tests/speechd|*_test.cpp;support/*.cpp" "speechd|*.cpp")

set(missing "")
foreach(check ${checks})
  string(REPLACE "|" ";" parts "${check}")
  list(GET parts 0 folder)
  list(REMOVE_AT parts 0)
  if(NOT EXISTS ${ROOT}/${folder}/CMakeLists.txt)
    continue()
  endif()
  file(READ ${ROOT}/${folder}/CMakeLists.txt listing)
  foreach(pattern ${parts})
    file(GLOB files RELATIVE ${ROOT}/${folder} ${ROOT}/${folder}/${pattern})
    foreach(file ${files})
      string(REGEX REPLACE "([.+])" "\\\\\\1" escaped "${file}")
      if(NOT listing MATCHES "(^|[ \t\n(/])${escaped}([ \t\n)]|$)")
        list(APPEND missing "${folder}/${file}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(missing)
  foreach(file ${missing})
    message("source lists: ${file} is not named in its folder's CMakeLists.txt")
  endforeach()
  message(FATAL_ERROR "a file is left out of its folder's source list")
endif()
message("source lists: every source and test is named")
