# cmake -DOBJDUMP=... -DEXE=... -DTABLE=windows-exports.txt
#       [-DFLOOR_9X=98] [-DFLOOR_NT=4.0sp6] -P check-imports.cmake
# Reads the import table of a built Windows program (objdump -p) and looks
# every DLL!function up in TABLE, which gives the first Windows that exports
# it. Fails on an import that the floor systems (by default Windows 98 and
# NT 4.0 SP6) do not export, or that the table does not know: the Windows
# loader refuses to start a program with such an import, and Wine, whose
# DLLs export everything whatever version it reports, cannot show it.
if(NOT DEFINED FLOOR_9X)
  set(FLOOR_9X 98)
endif()
if(NOT DEFINED FLOOR_NT)
  set(FLOOR_NT 4.0sp6)
endif()
# Oldest first.
set(releases_9x 95 98 Me)
set(releases_nt 3.1 3.5 3.51 4.0 4.0sp3 4.0sp6 2000 XP Vista 7 8)

function(fail text)
  message(FATAL_ERROR "${EXE}: ${text}")
endfunction()

# The position of RELEASE in the family's list, -1 for "-" (never).
function(release_rank family release out)
  if(release STREQUAL "-")
    set(${out} -1 PARENT_SCOPE)
    return()
  endif()
  list(FIND releases_${family} "${release}" rank)
  if(rank LESS 0)
    fail("${TABLE}: '${release}' is no ${family} release (${releases_${family}})")
  endif()
  set(${out} ${rank} PARENT_SCOPE)
endfunction()

release_rank(9x ${FLOOR_9X} floor_9x)
release_rank(nt ${FLOOR_NT} floor_nt)

# The table: one function a line, "#" starts a comment.
file(STRINGS ${TABLE} rows REGEX "^[A-Za-z]")
foreach(row IN LISTS rows)
  if(NOT row MATCHES "^([^ \t]+)[ \t]+([^ \t]+)[ \t]+([^ \t]+)[ \t]+([^ \t]+)")
    fail("${TABLE}: cannot read the line '${row}'")
  endif()
  string(TOUPPER "${CMAKE_MATCH_1}" dll)
  set(key "${dll}.${CMAKE_MATCH_2}")
  set(first_9x_${key} ${CMAKE_MATCH_3})
  set(first_nt_${key} ${CMAKE_MATCH_4})
endforeach()

execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  fail("objdump failed")
endif()
# One list item a line; brackets and semicolons would upset the list.
string(REGEX REPLACE "[][;]" "_" dump "${dump}")
string(REPLACE "\n" ";" lines "${dump}")

set(dll "")
set(count 0)
set(problems "")
foreach(line IN LISTS lines)
  if(line MATCHES "^\tDLL Name: (.+)$")
    string(TOUPPER "${CMAKE_MATCH_1}" dll)
    string(REGEX REPLACE "\\.DLL$" "" dll "${dll}")
  elseif(line STREQUAL "")
    set(dll "")
  elseif(dll AND line MATCHES "^\t[0-9a-fA-F]+\t")
    if(NOT line MATCHES "^\t[0-9a-fA-F]+\t *[0-9]+ +([A-Za-z_][A-Za-z0-9_@]*)")
      list(APPEND problems "${dll}: an import the table cannot name: '${line}'")
      continue()
    endif()
    set(function ${CMAKE_MATCH_1})
    set(key "${dll}.${function}")
    math(EXPR count "${count} + 1")
    if(NOT DEFINED first_9x_${key})
      list(APPEND problems "${dll}!${function}: not in ${TABLE}")
      continue()
    endif()
    release_rank(9x ${first_9x_${key}} rank_9x)
    release_rank(nt ${first_nt_${key}} rank_nt)
    if(rank_9x LESS 0 OR rank_9x GREATER floor_9x OR rank_nt LESS 0 OR rank_nt GREATER floor_nt)
      list(APPEND problems
           "${dll}!${function}: first exported by 9x ${first_9x_${key}}, NT ${first_nt_${key}}")
    endif()
  endif()
endforeach()

if(count EQUAL 0)
  fail("no imports found: is this a Windows program?")
endif()
if(problems)
  list(JOIN problems "\n  " text)
  fail("imports that Windows ${FLOOR_9X} or NT ${FLOOR_NT} would refuse:\n  ${text}")
endif()
message(STATUS "${EXE}: all ${count} imports are exported by Windows ${FLOOR_9X} and NT ${FLOOR_NT}")
