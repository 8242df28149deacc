# zem_add_test(NAME name SOURCES a_test.cpp ... LIBS lib ... [DEFINES ...] [ENVIRONMENT "VAR=value"] [LABELS ...]
#              [SIM_FIXTURE] [DISPLAY_SUITES Suite ...] [PREFIX prefix])
# One GoogleTest executable per module, registered with CTest test by test.
# ENVIRONMENT: one VAR=value entry set for every test of the executable (generator expressions allowed).
# LABELS: CTest labels of its tests (tsan: run in the ThreadSanitizer build).
# SIM_FIXTURE: the tests run against the simulated interface box and fixture of this build, under ctest
# (ZEM_D2XX_LIBRARY) and when the program is started by hand (ZEM_TEST_SIM_FIXTURE, see
# zem/link/link_test_support.h).
# DISPLAY_SUITES: the suites whose tests need a display (they skip without one, see
# platform/ui/fltk/display_test_support.h). They are not registered one by one but once, together, as the
# test name with "_test" turned into "_display_test", run on a private Xvfb display
# (platform/ui/fltk/screenshot_test.sh; skipped where Xvfb is missing), so that ctest never lists them as
# skipped.
# PREFIX: put before each registered test's name, for test programs built from one source in several
# variants, whose tests would otherwise share their names.
# Nothing is built or registered unless ZEM_BUILD_TESTS is on: the name then stands for an empty target, so
# that a module's other commands about its test program still apply.
# Every test program is also listed in <build>/test_programs.txt, one a line: its path, then its display
# suites (comma-separated) where it has any. CI runs each program from that list whole (.ci/run).
function(zem_add_test)
  if(NOT ZEM_BUILD_TESTS)
    cmake_parse_arguments(T "" "NAME" "" ${ARGN})
    add_custom_target(${T_NAME})
    return()
  endif()
  cmake_parse_arguments(T "SIM_FIXTURE" "NAME;ENVIRONMENT;PREFIX" "SOURCES;LIBS;DEFINES;LABELS;DISPLAY_SUITES" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  list(JOIN T_DISPLAY_SUITES "," _suites)
  set_property(GLOBAL APPEND PROPERTY ZEM_TEST_PROGRAMS "$<TARGET_FILE:${T_NAME}> ${_suites}")
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  if(T_DEFINES)
    target_compile_definitions(${T_NAME} PRIVATE ${T_DEFINES})
  endif()
  if(T_SIM_FIXTURE)
    target_compile_definitions(${T_NAME} PRIVATE ZEM_TEST_SIM_FIXTURE="$<TARGET_FILE:sim_fixture>")
    add_dependencies(${T_NAME} sim_fixture)
    set(T_ENVIRONMENT "ZEM_D2XX_LIBRARY=$<TARGET_FILE:sim_fixture>")
  endif()
  set(_discover DISCOVERY_TIMEOUT 60)
  if(T_PREFIX)
    list(APPEND _discover TEST_PREFIX ${T_PREFIX})
  endif()
  set(_props TIMEOUT 120)
  if(T_ENVIRONMENT)
    list(APPEND _props ENVIRONMENT "${T_ENVIRONMENT}")
  endif()
  if(T_LABELS)
    list(APPEND _props LABELS "${T_LABELS}")
  endif()
  if(NOT T_DISPLAY_SUITES)
    gtest_discover_tests(${T_NAME} ${_discover} PROPERTIES ${_props})
    return()
  endif()
  list(TRANSFORM T_DISPLAY_SUITES APPEND ".*")
  list(JOIN T_DISPLAY_SUITES ":" _display_filter)
  gtest_discover_tests(${T_NAME} ${_discover} TEST_FILTER "-${_display_filter}" PROPERTIES ${_props})
  string(REGEX REPLACE "_test$" "" _display_name ${T_NAME})
  add_test(NAME ${_display_name}_display_test
           COMMAND bash ${PROJECT_SOURCE_DIR}/platform/ui/fltk/screenshot_test.sh gtest $<TARGET_FILE:${T_NAME}>
                   --gtest_filter=${_display_filter})
  set_tests_properties(${_display_name}_display_test PROPERTIES SKIP_RETURN_CODE 77 ${_props})
endfunction()

# Written once every directory has added its test programs.
function(zem_write_test_programs)
  get_property(_programs GLOBAL PROPERTY ZEM_TEST_PROGRAMS)
  list(TRANSFORM _programs STRIP)
  list(JOIN _programs "\n" _content)
  file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/test_programs.txt CONTENT "${_content}\n")
endfunction()
if(ZEM_BUILD_TESTS)
  cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL zem_write_test_programs)
endif()

# zem_add_emulated_run_test(NAME name PROGRAM target SCRIPT check.cmake)
# The program's headless check run in MODE=emulated: its devices reached as real USB devices, through the
# libusb backend and umockdev's emulated usbfs (sim/usbfs's usbfs_run). Only when umockdev was found.
function(zem_add_emulated_run_test)
  cmake_parse_arguments(T "" "NAME;PROGRAM;SCRIPT" "" ${ARGN})
  if(NOT TARGET usbfs_run)
    return()
  endif()
  add_test(NAME ${T_NAME}
           COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${T_PROGRAM}> -DRUNNER=$<TARGET_FILE:usbfs_run> -DMODE=emulated
                   -P ${T_SCRIPT})
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 120)
endfunction()
