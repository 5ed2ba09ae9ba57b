cmake_minimum_required(VERSION 3.25)
# One bounded fuzz run, as a ctest test.
# Run as: cmake -DFUZZER=prog -DCORPUS=dir -DWORK=dir -DSECONDS=n -P run_fuzzer.cmake
# The committed corpus (CORPUS) is copied into WORK/corpus, so the run may add inputs there without
# touching the sources; the fuzzer then runs for SECONDS on it. Any crash, leak, sanitizer report or
# timeout fails the test; the input that caused it is kept in WORK as crash-*, leak-*, timeout-* ...
foreach(var FUZZER CORPUS WORK SECONDS)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "run_fuzzer.cmake: ${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/corpus")
if(IS_DIRECTORY "${CORPUS}")
  file(GLOB seeds LIST_DIRECTORIES false "${CORPUS}/*")
  if(seeds)
    file(COPY ${seeds} DESTINATION "${WORK}/corpus")
  endif()
  list(LENGTH seeds seed_count)
else()
  set(seed_count 0)
endif()
message(STATUS "Fuzzing ${FUZZER} for ${SECONDS} s from ${seed_count} seed(s) in ${CORPUS}")

set(log "${WORK}/fuzz.log")
execute_process(
  COMMAND "${FUZZER}" -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=2048
          -print_final_stats=1 -artifact_prefix=${WORK}/ "${WORK}/corpus"
  RESULT_VARIABLE result
  OUTPUT_FILE "${log}"
  ERROR_FILE "${log}")

if(NOT result EQUAL 0)
  # Show the end of the report (the sanitizer's stack trace and the saved input). The log is cut
  # by characters, not read as a list: its lines may hold brackets and semicolons.
  file(READ "${log}" report)
  string(LENGTH "${report}" length)
  if(length GREATER 8000)
    math(EXPR from "${length} - 8000")
    string(SUBSTRING "${report}" ${from} -1 report)
  endif()
  file(GLOB artifacts "${WORK}/crash-*" "${WORK}/leak-*" "${WORK}/timeout-*" "${WORK}/oom-*"
       "${WORK}/slow-unit-*")
  message(NOTICE "${report}")
  message(FATAL_ERROR "The fuzzer failed (exit ${result}); full log: ${log}\n"
                      "Saved input(s): ${artifacts}")
endif()

# A short summary of a clean run: the final statistics lines.
file(STRINGS "${log}" stats REGEX "^(stat::|Done [0-9]+ runs)")
list(JOIN stats "\n" stats)
message(STATUS "Clean run.\n${stats}")
