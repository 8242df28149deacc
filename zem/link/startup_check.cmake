# Runs the program with a driver library that lacks an entry point: it must name the entry point
# and end with exit code 1 (not crash, not run on).
#   cmake -DPROGRAM=<zem> -DLIBRARY=<library> -P startup_check.cmake
execute_process(COMMAND ${CMAKE_COMMAND} -E env ZEM_D2XX_LIBRARY=${LIBRARY} ${PROGRAM} --headless
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
if(NOT result STREQUAL "1")
  message(FATAL_ERROR "expected exit code 1, got '${result}'\nstdout: ${out}\nstderr: ${err}")
endif()
if(NOT err MATCHES "DLL error\\. Cannot locate entrypoint for FT_EraseEE")
  message(FATAL_ERROR "start-up error not reported\nstderr: ${err}")
endif()
# The message names the file the entry point was looked for in.
string(FIND "${err}" "Driver library: ${LIBRARY}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the library is not named\nstderr: ${err}")
endif()
