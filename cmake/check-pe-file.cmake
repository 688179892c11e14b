# cmake -DOBJDUMP=... -DEXE=... -DFORMAT=pei-i386 [-DMAX_BYTES=N]
#       [-DMAX_SUBSYSTEM_MAJOR=N] [-DWINDRES=... -DRC=... -DRC_INCLUDES=dir|dir]
#       -P check-pe-file.cmake
# Checks a built Windows program from its file alone, without running it:
# the PE format and architecture, only system DLLs imported, the subsystem
# version (the oldest Windows it starts on), its size, and the resources in
# the file (version block and manifest among them) against what the resource
# script compiles to, and what the manifest declares.
function(fail text)
  message(FATAL_ERROR "${EXE}: ${text}")
endfunction()

execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  fail("objdump failed")
endif()

if(NOT dump MATCHES "file format ${FORMAT}\n")
  string(REGEX MATCH "file format [^\n]*" found "${dump}")
  fail("expected file format ${FORMAT}, found '${found}'")
endif()

set(system_dlls KERNEL32 USER32 GDI32 ADVAPI32 SHELL32 ole32 OLEAUT32 COMCTL32
    COMDLG32 USERENV SHLWAPI VERSION msvcrt)
string(REGEX MATCHALL "DLL Name: [^\n]*" imports "${dump}")
foreach(import IN LISTS imports)
  # The import libraries spell the extension either way (COMCTL32.DLL).
  string(REGEX REPLACE "DLL Name: ([^.]*)\\.[dD][lL][lL]$" "\\1" dll "${import}")
  string(TOUPPER "${dll}" dll_upper)
  set(known FALSE)
  foreach(system IN LISTS system_dlls)
    string(TOUPPER "${system}" system_upper)
    if(dll_upper STREQUAL system_upper)
      set(known TRUE)
    endif()
  endforeach()
  if(NOT known)
    fail("imports a DLL that is not part of Windows: ${import}")
  endif()
endforeach()

if(DEFINED MAX_SUBSYSTEM_MAJOR)
  string(REGEX MATCH "MajorSubsystemVersion[ \t]+([0-9]+)" found "${dump}")
  if(NOT found OR CMAKE_MATCH_1 GREATER MAX_SUBSYSTEM_MAJOR)
    fail("subsystem version ${CMAKE_MATCH_1} is newer than ${MAX_SUBSYSTEM_MAJOR}")
  endif()
  set(subsystem ", subsystem version ${CMAKE_MATCH_1}")
endif()

file(SIZE ${EXE} bytes)
if(DEFINED MAX_BYTES AND bytes GREATER MAX_BYTES)
  fail("${bytes} bytes, more than the budget of ${MAX_BYTES}")
endif()

if(DEFINED RC)
  # Both sides decompiled by windres into resource-script text. The linker
  # drops the 16-bit memory flags, so those are left out of the comparison.
  get_filename_component(work ${EXE} DIRECTORY)
  set(res ${work}/check-pe-file.res)
  set(include_options)
  string(REPLACE "|" ";" include_dirs "${RC_INCLUDES}")
  foreach(dir IN LISTS include_dirs)
    list(APPEND include_options -I ${dir})
  endforeach()
  execute_process(COMMAND ${WINDRES} ${include_options} -i ${RC} -o ${res} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    fail("windres could not compile ${RC}")
  endif()
  execute_process(COMMAND ${WINDRES} -i ${res} -O rc OUTPUT_VARIABLE expected RESULT_VARIABLE rc1)
  execute_process(COMMAND ${WINDRES} -J coff -i ${EXE} -O rc OUTPUT_VARIABLE actual RESULT_VARIABLE rc2)
  file(REMOVE ${res})
  if(NOT rc1 EQUAL 0 OR NOT rc2 EQUAL 0)
    fail("windres could not read the resources")
  endif()
  string(REGEX REPLACE " (MOVEABLE|PURE|DISCARDABLE)" "" expected "${expected}")
  if(NOT actual STREQUAL expected)
    file(WRITE ${EXE}.resources-expected.rc "${expected}")
    file(WRITE ${EXE}.resources-found.rc "${actual}")
    fail("resources differ from ${RC}: compare ${EXE}.resources-expected.rc and ${EXE}.resources-found.rc")
  endif()
  foreach(block "VERSIONINFO" "24 /\\* RT_MANIFEST \\*/")
    if(NOT actual MATCHES "\n1 ${block}")
      fail("no resource '1 ${block}' in the file")
    endif()
  endforeach()
  # What the manifest declares, read back from the file (windres doubles its
  # quotes): administrator rights, themed controls (Common Controls 6), system
  # DPI awareness, and the systems the program knows, Vista to 11.
  set(manifest_entries
      "requestedExecutionLevel level=\"\"requireAdministrator\"\""
      "name=\"\"Microsoft.Windows.Common-Controls\"\" version=\"\"6.0.0.0\"\""
      "/WindowsSettings\"\">true</dpiAware>"
      "supportedOS Id=\"\"{e2011457-1546-43c5-a5fe-008deee3d3f0}\"\""
      "supportedOS Id=\"\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"\""
      "supportedOS Id=\"\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"\""
      "supportedOS Id=\"\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"\""
      "supportedOS Id=\"\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"\"")
  list(LENGTH manifest_entries entries)
  foreach(entry IN LISTS manifest_entries)
    string(FIND "${actual}" "${entry}" at)
    if(at EQUAL -1)
      fail("the manifest in the file lacks ${entry}")
    endif()
  endforeach()
  string(REGEX MATCH "VALUE \"FileVersion\", \"[^\"]*\"" version "${actual}")
  set(resources ", resources as the script says (${version}; the manifest's ${entries} entries)")
endif()

string(REGEX REPLACE "DLL Name: " "" imports "${imports}")
message(STATUS "${EXE}: ${FORMAT}, ${bytes} bytes${subsystem}, imports ${imports}${resources}")
