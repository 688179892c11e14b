# cmake -DOBJDUMP=... -DEXE=... -P check-static-exe.cmake
# Fails when a Windows program imports a MinGW runtime DLL (libgcc,
# libstdc++, winpthread): the program must run on a bare Windows.
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${EXE}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]*" imports "${dump}")
foreach(import IN LISTS imports)
  if(import MATCHES "libgcc|libstdc|winpthread")
    message(FATAL_ERROR "${EXE} needs a runtime DLL: ${import}")
  endif()
endforeach()
message(STATUS "${EXE}: ${imports}")
