# The install layout (GNUInstallDirs) and the helper that installs programs and shared libraries so that
# the installed tree runs from wherever it is put: each binary finds the private libraries through a
# RUNPATH relative to itself ($ORIGIN), never through a folder of the build.
#
# The binaries of the build carry the same RUNPATH: the build has its own lib/ and lib/zem/ (libquillon
# there, links to the private libraries and the simulators), so a program of the build finds what the
# installed one finds, and no path needs rewriting (or padding) at install.
#
#   <prefix>/bin/               zem, orvane, mendaro
#   <prefix>/lib/               libquillon.so (with its soname), for host programs
#   <prefix>/lib/zem/           the USB layer (libplatform_wdu.so) and the simulators; a driver library or USB
#                               backend named without a folder is looked for here first
#   <prefix>/include/           quillon.h, for host programs
#   <prefix>/share/zem/         the program's data (zem's help file Zem.hlp with its pictures/, orvane's samples)
#   <prefix>/share/doc/zem/     README, licence, the udev rules example
#
# Two components, one Debian package each: runtime (everything not named otherwise) and development
# (quillon.h, the libquillon.so link that host programs are built against).
include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME runtime)
set(ZEM_INSTALL_PKGLIBDIR ${CMAKE_INSTALL_LIBDIR}/zem)
set(ZEM_INSTALL_PKGDATADIR ${CMAKE_INSTALL_DATADIR}/zem)
set(ZEM_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/zem)
file(RELATIVE_PATH ZEM_INSTALL_BIN_TO_PKGLIB ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR}/zem)
file(RELATIVE_PATH ZEM_INSTALL_LIB_TO_PKGLIB ${CMAKE_INSTALL_FULL_LIBDIR} ${CMAKE_INSTALL_FULL_LIBDIR}/zem)
# The programs find their installed data folder from their own folder (platform/sys).
file(RELATIVE_PATH ZEM_INSTALL_BIN_TO_DATA ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR})

set(ZEM_BUILD_LIBDIR ${CMAKE_BINARY_DIR}/${CMAKE_INSTALL_LIBDIR})
set(ZEM_BUILD_PKGLIBDIR ${ZEM_BUILD_LIBDIR}/zem)
file(MAKE_DIRECTORY ${ZEM_BUILD_PKGLIBDIR})

# zem_install(target PROGRAM|LIBRARY|PRIVATE_LIBRARY)
#   PROGRAM: into bin/; it sits one folder below the build (build/<dir>/<program>) as bin/ is below the
#   prefix. LIBRARY (loaded by host programs): into lib/, built in the build's lib/. PRIVATE_LIBRARY: into
#   lib/zem/, built where it is and linked from the build's lib/zem/.
function(zem_install target kind)
  if(kind STREQUAL "PROGRAM")
    file(RELATIVE_PATH _from_build ${CMAKE_CURRENT_BINARY_DIR} ${ZEM_BUILD_PKGLIBDIR})
    if(NOT _from_build STREQUAL ZEM_INSTALL_BIN_TO_PKGLIB)
      message(FATAL_ERROR "zem_install: ${target} must be built one folder below the build, as bin/ is "
                          "below the install prefix (${_from_build} is not ${ZEM_INSTALL_BIN_TO_PKGLIB})")
    endif()
    set(_rpath "$ORIGIN/${ZEM_INSTALL_BIN_TO_PKGLIB}")
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  elseif(kind STREQUAL "LIBRARY")
    set(_rpath "$ORIGIN/${ZEM_INSTALL_LIB_TO_PKGLIB}")
    set_property(TARGET ${target} PROPERTY LIBRARY_OUTPUT_DIRECTORY ${ZEM_BUILD_LIBDIR})
    install(TARGETS ${target} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_COMPONENT development)
  elseif(kind STREQUAL "PRIVATE_LIBRARY")
    set(_rpath "$ORIGIN")
    add_custom_command(TARGET ${target} POST_BUILD
                       COMMAND ${CMAKE_COMMAND} -E create_symlink $<TARGET_FILE:${target}>
                               ${ZEM_BUILD_PKGLIBDIR}/$<TARGET_FILE_NAME:${target}>
                       VERBATIM)
    install(TARGETS ${target} LIBRARY DESTINATION ${ZEM_INSTALL_PKGLIBDIR})
  else()
    message(FATAL_ERROR "zem_install: ${kind} is none of PROGRAM, LIBRARY, PRIVATE_LIBRARY")
  endif()
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "${_rpath}" BUILD_WITH_INSTALL_RPATH ON)
endfunction()
