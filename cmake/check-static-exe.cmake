# cmake -DOBJDUMP=... -DEXE=... -P check-static-exe.cmake
# Fails when a Windows program imports a MinGW runtime DLL (libgcc,
# libstdc++, winpthread): the program must run on a bare Windows. Nor may it
# import USERENV: its GetProfilesDirectoryA is looked up at run time, because
# older systems the program supports lack it, and a static import would keep
# the program from starting there.
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${EXE}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]*" imports "${dump}")
foreach(import IN LISTS imports)
  if(import MATCHES "libgcc|libstdc|winpthread")
    message(FATAL_ERROR "${EXE} needs a runtime DLL: ${import}")
  endif()
  if(import MATCHES "[Uu][Ss][Ee][Rr][Ee][Nn][Vv]")
    message(FATAL_ERROR "${EXE} imports USERENV statically: ${import}")
  endif()
endforeach()
message(STATUS "${EXE}: ${imports}")
