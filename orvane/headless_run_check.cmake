# Runs the program headless against the simulated USB bus, as a user would from a terminal, and checks what
# it printed.
#   cmake -DPROGRAM=<orvane> -DLIBRARY=<libsim_usb.so> -DMODE=devices|emulated|none [-DRUNNER=<usbfs_run>]
#         -P headless_run_check.cmake
# devices: a programmed chip with a board and a chip without firmware are listed.
# emulated: the same chips reached as real USB devices through the libusb backend (RUNNER plugs them
# into umockdev's usbfs).
# none: the backend library names no file: no device can be listed, the program says why (on stderr and in
# the dialog's log) and ends with exit code 3.
set(backend ZEM_USB_LIBRARY=${LIBRARY})
set(runner)
if(MODE STREQUAL "devices" OR MODE STREQUAL "emulated")
  set(sim_devices "fx2:1001:0102:Front panel;board:24:F080:30:05:0102;fx2")
else()
  set(sim_devices "")
endif()
if(MODE STREQUAL "emulated")
  set(backend --unset=ZEM_USB_LIBRARY)
  set(runner ${RUNNER})
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env ${backend} "ZEM_SIM_USB_DEVICES=${sim_devices}"
                        ${runner} ${PROGRAM} --headless
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
set(expected_result 0)
if(MODE STREQUAL "none")
  set(expected_result 3)
endif()
if(NOT result STREQUAL "${expected_result}")
  message(FATAL_ERROR "expected exit code ${expected_result}, got '${result}'\nstdout: ${out}\nstderr: ${err}")
endif()

# expect(out|err pattern): the pattern is in what the program printed there.
function(expect stream pattern)
  string(FIND "${${stream}}" "${pattern}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "missing: ${pattern}\nstdout: ${out}\nstderr: ${err}")
  endif()
endfunction()

expect(out "== modal window: PCB orvane (V1.0.0.0) ==")
expect(out "btnClose: Button \"&Close\"")
if(MODE STREQUAL "devices" OR MODE STREQUAL "emulated")
  expect(out "lbUsbDevices: ListBox (12,26,320,108) [index -1: \"1001  Front panel  v01.02  DIPS:0\" \"8613  Unprogrammed USB uC  v00.00  DIPS:0\"]")
  expect(out "btnUpdateUsb: Button \"Update &USB Firmware\" (12,142,150,25)\n")
  expect(out "btnUpdateIic: Button \"Update &IIC firmware\" (344,142,150,25) disabled")
else()
  expect(out "lbUsbDevices: ListBox (12,26,320,108) [index -1]")
  expect(out "btnUpdateUsb: Button \"Update &USB Firmware\" (12,142,150,25) disabled")
  # Told once on stderr, and in the log.
  set(note "No USB devices can be listed: cannot load USB backend ${LIBRARY}")
  expect(err "orvane: ${note}")
  expect(err "Check ZEM_USB_LIBRARY: it must name a USB backend library")
  expect(out "edLog: ")
  expect(out "${note}")
  string(REGEX MATCHALL "No USB devices can be listed" told "${err}")
  list(LENGTH told times)
  if(NOT times EQUAL 1)
    message(FATAL_ERROR "the note is on stderr ${times} times\nstderr: ${err}")
  endif()
endif()
