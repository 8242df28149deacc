# Installs the build into a staging prefix and moves the tree elsewhere, so that what runs from it can
# only be the installed tree; then checks the tree: its files, libquillon's soname, and that every binary
# finds its libraries inside the tree (RUNPATH relative to itself, nothing from the build).
#   cmake -DBUILD=<build folder> -DSTAGE=<folder> -DBINDIR=.. -DLIBDIR=.. -DDATADIR=.. -DDOCDIR=..
#         -DINCLUDEDIR=.. -DMANDIR=.. -P stage_check.cmake
# The tree ends up in STAGE/tree.
file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${STAGE}/prefix
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "install failed (${result}):\n${out}\n${err}")
endif()
file(RENAME ${STAGE}/prefix ${STAGE}/tree)
set(tree ${STAGE}/tree)

function(fail what)
  message(FATAL_ERROR "${what}")
endfunction()

foreach(f ${BINDIR}/zem ${BINDIR}/orvane ${BINDIR}/mendaro ${LIBDIR}/libquillon.so ${LIBDIR}/libquillon.so.1
          ${INCLUDEDIR}/quillon.h ${LIBDIR}/zem/libplatform_wdu.so ${LIBDIR}/zem/libsim_fixture.so
          ${LIBDIR}/zem/libsim_usb.so ${DATADIR}/zem/orvane-samples/keyboard_f080_30_v0103.hex
          ${DATADIR}/zem/Zem.hlp ${DATADIR}/zem/pictures/fixture-info.png
          ${DOCDIR}/README.md ${DOCDIR}/copyright ${DOCDIR}/changelog.gz ${DOCDIR}/examples/70-lighting-usb.rules
          ${DATADIR}/doc/libquillon-dev/copyright)
  if(NOT EXISTS ${tree}/${f})
    fail("the installed tree lacks ${f}")
  endif()
endforeach()
# Each program's icon where desktops look for it: scalable, and at every size from 16 to 256 pixels.
foreach(program zem orvane mendaro)
  foreach(folder scalable 16x16 22x22 24x24 32x32 48x48 64x64 128x128 256x256)
    set(f ${DATADIR}/icons/hicolor/${folder}/apps/${program}.png)
    if(folder STREQUAL "scalable")
      set(f ${DATADIR}/icons/hicolor/${folder}/apps/${program}.svg)
    endif()
    if(NOT EXISTS ${tree}/${f})
      fail("the installed tree lacks ${f}")
    endif()
  endforeach()
  if(NOT EXISTS ${tree}/${MANDIR}/man1/${program}.1.gz)
    fail("the installed tree lacks ${MANDIR}/man1/${program}.1.gz")
  endif()
  # The desktop entry starts the installed program and shows its installed icon.
  set(entry ${tree}/${DATADIR}/applications/${program}.desktop)
  if(NOT EXISTS ${entry})
    fail("the installed tree lacks ${DATADIR}/applications/${program}.desktop")
  endif()
  file(STRINGS ${entry} exec REGEX "^Exec=")
  file(STRINGS ${entry} icon REGEX "^Icon=")
  string(REGEX REPLACE "^Exec=([^ ]+).*" "\\1" exec "${exec}")
  string(REGEX REPLACE "^Icon=" "" icon "${icon}")
  if(NOT EXISTS ${tree}/${BINDIR}/${exec} OR NOT EXISTS ${tree}/${DATADIR}/icons/hicolor/48x48/apps/${icon}.png)
    fail("${entry}: Exec=${exec} or Icon=${icon} is not installed")
  endif()
endforeach()
# Nothing for tests only.
file(GLOB_RECURSE extra ${tree}/*test* ${tree}/*.a)
if(extra)
  fail("the installed tree holds files for tests: ${extra}")
endif()

execute_process(COMMAND readelf -d ${tree}/${LIBDIR}/libquillon.so.1 OUTPUT_VARIABLE dyn)
if(NOT dyn MATCHES "\\(SONAME\\)[^\n]*\\[libquillon\\.so\\.1\\]")
  fail("libquillon.so.1 has not the soname libquillon.so.1:\n${dyn}")
endif()

file(GLOB binaries ${tree}/${BINDIR}/* ${tree}/${LIBDIR}/libquillon.so.1 ${tree}/${LIBDIR}/zem/*.so)
foreach(binary ${binaries})
  execute_process(COMMAND readelf -d ${binary} OUTPUT_VARIABLE dyn)
  string(REGEX MATCH "\\((RUNPATH|RPATH)\\)[^\n]*\\[([^]\n]*)\\]" found "${dyn}")
  set(runpath "${CMAKE_MATCH_2}")
  if(NOT runpath MATCHES "^\\$ORIGIN" OR runpath MATCHES ":" OR runpath STREQUAL "")
    fail("${binary}: the RUNPATH is not one folder relative to the binary: '${runpath}'")
  endif()
  execute_process(COMMAND ldd ${binary} OUTPUT_VARIABLE deps ERROR_VARIABLE deps_err)
  if(deps MATCHES "not found")
    fail("${binary} misses libraries:\n${deps}")
  endif()
  string(REPLACE "${tree}/" "<tree>/" outside "${deps}")
  string(FIND "${outside}" "${BUILD}" at)
  if(NOT at EQUAL -1)
    fail("${binary} loads from the build:\n${deps}")
  endif()
  if(deps MATCHES "libplatform_wdu" AND NOT deps MATCHES "libplatform_wdu\\.so => ${tree}/")
    fail("${binary} does not take libplatform_wdu.so from the tree:\n${deps}")
  endif()
endforeach()
