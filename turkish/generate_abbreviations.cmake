# SPDX-License-Identifier: GPL-3.0-or-later
# Turns abbreviations.tsv into a C++ table (cmake -P, with INPUT and OUTPUT defined). The
# texts stay UTF-8 in the generated source and become Windows-1254 at compile time, so a
# character without a Windows-1254 byte fails the build instead of reading wrongly.
file(STRINGS "${INPUT}" lines ENCODING UTF-8)
set(body "")
foreach(line IN LISTS lines)
  if(line MATCHES "^#" OR line STREQUAL "")
    continue()
  endif()
  string(REPLACE "\t" ";" fields "${line}")
  list(LENGTH fields count)
  if(count LESS 2)
    message(FATAL_ERROR "abbreviations.tsv: no reading in \"${line}\"")
  endif()
  list(GET fields 0 written)
  list(GET fields 1 reading)
  set(flags "")
  if(count GREATER 2)
    list(GET fields 2 flags)
  endif()
  foreach(text written reading flags)
    if(${text} MATCHES "[\"\\\\]")
      message(FATAL_ERROR "abbreviations.tsv: quote or backslash in \"${line}\"")
    endif()
  endforeach()
  string(APPEND body "    {\"${written}\"_cp, \"${reading}\"_cp, \"${flags}\"},\n")
endforeach()
file(WRITE "${OUTPUT}.tmp"
"// Generated from abbreviations.tsv by generate_abbreviations.cmake; do not edit.
#include \"turkish/abbreviations.h\"

#include \"foundation/code_page.h\"

namespace turkish {

const TAbbreviationRow kAbbreviationRows[] = {
${body}};

const std::size_t kAbbreviationRowCount = sizeof(kAbbreviationRows) / sizeof(kAbbreviationRows[0]);

}  // namespace turkish
")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${OUTPUT}.tmp" "${OUTPUT}")
file(REMOVE "${OUTPUT}.tmp")
