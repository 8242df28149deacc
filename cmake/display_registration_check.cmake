# Checks that no display test is registered where it would only skip: every test of a suite that needs a
# display must run in its program's Xvfb run (zem_add_test's DISPLAY_SUITES), never as a test of its own.
#
#   cmake -DSOURCE_DIR=<source tree> -DBUILD_DIR=<build tree> -DCTEST=<ctest> -P display_registration_check.cmake
#
# The display suites are found in the sources: the fixture tests (TEST_F, TEST_P) of every test file whose
# fixtures skip without a display (the fixture of platform/ui/fltk/display_test_support.h, or a skip of their
# own with "no display").
file(GLOB_RECURSE test_files LIST_DIRECTORIES false ${SOURCE_DIR}/*_test.cpp)
set(display_suites "")
foreach(f IN LISTS test_files)
  if(f MATCHES "/build[^/]*/")
    continue()
  endif()
  file(READ ${f} text)
  string(FIND "${text}" "OnDisplay<" on_display)
  string(FIND "${text}" "GTEST_SKIP() << \"no display\"" own_skip)
  if(on_display EQUAL -1 AND own_skip EQUAL -1)
    continue()
  endif()
  string(REGEX MATCHALL "TEST_[FP]\\(([A-Za-z0-9_]+)," uses "${text}")
  foreach(u IN LISTS uses)
    string(REGEX REPLACE "TEST_[FP]\\(([A-Za-z0-9_]+)," "\\1" suite "${u}")
    list(APPEND display_suites ${suite})
  endforeach()
endforeach()
list(REMOVE_DUPLICATES display_suites)
if(NOT display_suites)
  message(FATAL_ERROR "no display suites found under ${SOURCE_DIR}: the check looks in the wrong place")
endif()

execute_process(COMMAND ${CTEST} --test-dir ${BUILD_DIR} -N OUTPUT_VARIABLE listing RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "ctest -N failed:\n${listing}")
endif()
set(misplaced "")
foreach(suite IN LISTS display_suites)
  # Parameterised tests are listed as Prefix/Suite.Name/Index.
  string(REGEX MATCHALL "Test +#[0-9]+: ([A-Za-z0-9_]+/)?${suite}\\.[^\n]*" found "${listing}")
  list(APPEND misplaced ${found})
endforeach()
if(misplaced)
  list(JOIN misplaced "\n  " lines)
  message(FATAL_ERROR "display tests registered on their own (they skip without a display; name their suite "
                      "in DISPLAY_SUITES):\n  ${lines}")
endif()
list(JOIN display_suites ", " names)
message(STATUS "display suites, each run only under Xvfb: ${names}")
