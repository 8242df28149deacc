# Checks a manual page against its program's --help, so that the two cannot drift apart: every option,
# environment variable and exit code the help names is in the page, and the page names no option and no exit
# code that the help does not.
#   cmake -DPROGRAM=<program> -DPAGE=<page.1> -P man_page_check.cmake
cmake_minimum_required(VERSION 3.20)
execute_process(COMMAND ${PROGRAM} --help RESULT_VARIABLE result OUTPUT_VARIABLE help ERROR_VARIABLE err)
if(NOT result EQUAL 0 OR help STREQUAL "")
  message(FATAL_ERROR "${PROGRAM} --help ended with ${result}:\n${help}${err}")
endif()
file(READ ${PAGE} page)
# The page's text with roff's minus signs as plain ones.
string(REPLACE "\\-" "-" page "${page}")

# The page's section with this heading, up to the next one.
function(section heading out)
  string(FIND "${page}" ".SH ${heading}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${PAGE} has no section ${heading}")
  endif()
  string(SUBSTRING "${page}" ${at} -1 rest)
  string(LENGTH ".SH ${heading}\n" skip)
  string(SUBSTRING "${rest}" ${skip} -1 rest)
  string(FIND "${rest}" "\n.SH " end)
  if(NOT end EQUAL -1)
    string(SUBSTRING "${rest}" 0 ${end} rest)
  endif()
  set(${out} "${rest}" PARENT_SCOPE)
endfunction()

# The help's paragraph that starts with this heading, up to the next empty line.
function(paragraph heading out)
  string(FIND "${help}" "${heading}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${PROGRAM} --help has no \"${heading}\":\n${help}")
  endif()
  string(SUBSTRING "${help}" ${at} -1 rest)
  string(FIND "${rest}" "\n\n" end)
  if(NOT end EQUAL -1)
    string(SUBSTRING "${rest}" 0 ${end} rest)
  endif()
  set(${out} "${rest}" PARENT_SCOPE)
endfunction()

# Items of a list section (.TP, then the item in bold), as a list.
function(items text out)
  string(REGEX MATCHALL "\\.TP\n\\.BI? [^ \n]+" found "${text}")
  list(TRANSFORM found REPLACE "^\\.TP\n\\.BI? " "")
  list(REMOVE_DUPLICATES found)
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

set(problems "")
function(compare what from_help from_page both_ways)
  foreach(x ${from_help})
    if(NOT x IN_LIST from_page)
      string(APPEND problems "  ${what} ${x} is in --help, not in the page\n")
    endif()
  endforeach()
  if(both_ways)
    foreach(x ${from_page})
      if(NOT x IN_LIST from_help)
        string(APPEND problems "  ${what} ${x} is in the page, not in --help\n")
      endif()
    endforeach()
  endif()
  set(problems "${problems}" PARENT_SCOPE)
endfunction()

# Options: every one the help names anywhere; the page's wherever they stand.
string(REGEX MATCHALL "--[a-z][a-z0-9-]*" help_options "${help}")
string(REGEX MATCHALL "--[a-z][a-z0-9-]*" page_options "${page}")
list(REMOVE_DUPLICATES help_options)
list(REMOVE_DUPLICATES page_options)
compare(option "${help_options}" "${page_options}" ON)

# Environment variables: the first word of each of the paragraph's rows.
paragraph("Environment:" help_environment)
string(REGEX MATCHALL "\n  [A-Z][A-Z0-9_]+" help_variables "${help_environment}")
list(TRANSFORM help_variables STRIP)
section(ENVIRONMENT page_environment)
items("${page_environment}" page_variables)
compare("environment variable" "${help_variables}" "${page_variables}" OFF)

# Exit codes: "Exit codes: 0 done; 1 ...; 2 ...", rows wrapped anywhere.
paragraph("Exit codes:" help_exit)
string(REPLACE ";" "," help_exit "${help_exit}")  # not CMake's list separator
string(REGEX MATCHALL "[:,][ \n]+[0-9]+ " help_codes "${help_exit}")
list(TRANSFORM help_codes REPLACE "[^0-9]" "")
section("EXIT STATUS" page_exit)
items("${page_exit}" page_codes)
compare("exit code" "${help_codes}" "${page_codes}" ON)

if(NOT help_options OR NOT help_codes)
  message(FATAL_ERROR "no options or no exit codes read from ${PROGRAM} --help:\n${help}")
endif()
if(problems)
  message(FATAL_ERROR "${PAGE} and ${PROGRAM} --help differ:\n${problems}")
endif()
message(STATUS "${PAGE}: options ${help_options}; environment ${help_variables}; exit codes ${help_codes}")
