# Runs the program headless, as a user would from a terminal, and checks what it printed.
#   cmake -DPROGRAM=<zem> -DLIBRARY=<driver library path> -DMODE=demo|fixture|model -P headless_run_check.cmake
# demo: the library path names no file, so there is no interface hardware: the demonstration menu opens
# and, answered with its close box, ends the program.
# fixture: the simulated box and fixture: the fixture is identified and its window opened, read and closed.
# model: the simulated fixture plays the model named in SIM_MODEL (ZEM_SIM_MODEL) and its window opens
# (EXPECT_WINDOW).
set(sim_env)
if(DEFINED SIM_MODEL)
  list(APPEND sim_env "ZEM_SIM_MODEL=${SIM_MODEL}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env ZEM_D2XX_LIBRARY=${LIBRARY} ${sim_env} ${PROGRAM} --headless
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
if(NOT result STREQUAL "0")
  message(FATAL_ERROR "expected exit code 0, got '${result}'\nstdout: ${out}\nstderr: ${err}")
endif()

function(expect pattern)
  string(FIND "${out}" "${pattern}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "missing from the output: ${pattern}\nstdout: ${out}\nstderr: ${err}")
  endif()
endfunction()

function(expect_regex regex)
  string(REGEX MATCH "${regex}" found "${out}")
  if(NOT found)
    message(FATAL_ERROR "no match in the output: ${regex}\nstdout: ${out}\nstderr: ${err}")
  endif()
endfunction()

function(expect_not pattern)
  string(FIND "${out}" "${pattern}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "unexpected in the output: ${pattern}\nstdout: ${out}")
  endif()
endfunction()

expect("== window: Tavren ZEM - ver 1.8 ==")
if(MODE STREQUAL "demo")
  expect("lHardware: Label \"No hardware\"")
  expect("== modal window: ZEM Demo mode - please select fixture ==")
  expect("sbGrobel200CI: SpeedButton \"Grobel 200 CI\"")
  expect_not("FixtureFormTemplate")
elseif(MODE STREQUAL "fixture")
  expect("lHardware: Label \"YOLB 1, ver 1.3\"")
  expect("ledHardware: Shape (8,8,16,16) [brush 0x00FF00]")
  expect("== window: Brevidor 200 ==")
  # The Brevidor 200 window, seen once it has read the fixture (600 x 400 and enabled: the read is over),
  # with its faders.
  expect_regex("Brv200_20Form: Form \"Brevidor 200\" \\([0-9-]+,[0-9-]+,600,400\\)\n")
  expect("frCyan: TFader \"Cyan\"")
  expect("sbReconnect: SpeedButton \"Reconnect\"")
  expect("lFixtureType: Label \"Fixture: Brevidor 200\"")
  expect("lFixtureId: Label \"FixtureID: SIM000000000001\"")
  expect("lPowerOnHours: Label \"Total Power-on hours 1200\"")
  expect("lFixtureConnect: Label \"BV200\"")
  expect_not("Demo mode")
elseif(MODE STREQUAL "model")
  expect("== window: ${EXPECT_WINDOW} ==")
  expect_not("sim_fixture:")
else()
  message(FATAL_ERROR "MODE must be demo, fixture or model")
endif()
