# zintra.exe imports at start only what its first window needs; the other
# system DLLs are delay-loaded (cmake/DelayLoad.cmake). A plain import slipping
# back in (a new call linked against a plain import library) fails here.
#   cmake -DOBJDUMP=... -DEXE=... -DSTART="KERNEL32.dll;..." -DDELAYED="shell32;..." -P start_imports.cmake
cmake_minimum_required(VERSION 3.20)

execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} could not read ${EXE}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" names "${dump}")
list(TRANSFORM names REPLACE "DLL Name: " "")
list(TRANSFORM names TOUPPER)
list(SORT names)
set(expected ${START})
list(TRANSFORM expected TOUPPER)
list(SORT expected)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "imported at start: ${names}\nexpected: ${expected}")
endif()
# Each delay-loaded DLL is still linked: its name is in the exe for the loader helper.
file(STRINGS ${EXE} strings REGEX "^[A-Za-z0-9_]+\\.dll$")
list(TRANSFORM strings TOLOWER)
foreach(dll IN LISTS DELAYED)
  if(NOT "${dll}.dll" IN_LIST strings)
    message(FATAL_ERROR "${dll}.dll is neither imported nor delay-loaded")
  endif()
endforeach()
message(STATUS "imported at start: ${names}; delay-loaded: ${DELAYED}")
