cmake_minimum_required(VERSION 3.25)
# Generates the string-id header and the message table from resources/strings.tsv.
# Run as: cmake -DINPUT=strings.tsv -DOUT_DIR=dir -P generate_strings.cmake
# Outputs: string_ids.h (IDS_ constants), string_table.cpp (id -> UTF-8 text) and
# strings.rc.inc (the STRINGTABLE body of the program's resources, app scope only).
file(READ "${INPUT}" content)
# CMake lists split on ';', so semicolons inside texts travel as a placeholder.
string(REPLACE ";" "@SEMICOLON@" content "${content}")
string(REPLACE "\r" "" content "${content}")
string(REPLACE "\n" ";" lines "${content}")

set(ids "// Generated from resources/strings.tsv; do not edit.\n#pragma once\n\n")
set(table "// Generated from resources/strings.tsv; do not edit.\n#include \"string_table.h\"\n\nnamespace velkaro {\nnamespace {\nconst StringEntry kEntries[] = {\n")
set(rc "// Generated from resources/strings.tsv; do not edit.\nSTRINGTABLE\nBEGIN\n")
set(seen "")
foreach(line IN LISTS lines)
  if(line STREQUAL "" OR line MATCHES "^#")
    continue()
  endif()
  if(NOT line MATCHES "^([0-9]+)\t([A-Z][A-Z0-9_]*)\t(app|cli)\t(.+)$")
    message(FATAL_ERROR "strings.tsv: malformed line: ${line}")
  endif()
  set(id "${CMAKE_MATCH_1}")
  set(name "${CMAKE_MATCH_2}")
  set(scope "${CMAKE_MATCH_3}")
  set(text "${CMAKE_MATCH_4}")
  if(id IN_LIST seen)
    message(FATAL_ERROR "strings.tsv: id ${id} appears twice")
  endif()
  list(APPEND seen "${id}")
  string(REPLACE "@SEMICOLON@" "\;" text "${text}")
  string(APPEND ids "#define ${name} ${id}\n")
  string(APPEND table "    {${id}, \"${text}\"},\n")
  if(scope STREQUAL "app")
    # A resource script writes a quote inside a string as "" (windres warns on \"); an escaped
    # backslash is set aside first so that its second half is not read as the start of \".
    set(rc_text "${text}")
    string(REPLACE "\\\\" "@BACKSLASH@" rc_text "${rc_text}")
    string(REPLACE "\\\"" "\"\"" rc_text "${rc_text}")
    string(REPLACE "@BACKSLASH@" "\\\\" rc_text "${rc_text}")
    string(APPEND rc "    ${id}, \"${rc_text}\"\n")
  endif()
endforeach()
string(APPEND table "};\n}  // namespace\n\nconst StringEntry* StringTableBegin() { return kEntries; }\nconst StringEntry* StringTableEnd() { return kEntries + sizeof(kEntries) / sizeof(kEntries[0]); }\n\n}  // namespace velkaro\n")
string(APPEND rc "END\n")

# Write only on change so that dependants are not rebuilt needlessly.
foreach(pair "string_ids.h|ids" "string_table.cpp|table" "strings.rc.inc|rc")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 file)
  list(GET pair 1 var)
  file(CONFIGURE OUTPUT "${OUT_DIR}/${file}" CONTENT "${${var}}" @ONLY)
endforeach()
