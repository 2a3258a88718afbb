# cmake -DOBJDUMP=... -DDLL=... -P CheckDllExports.cmake
cmake_minimum_required(VERSION 3.25)
# The export table must hold exactly CreateNimbraPLUGIN, undecorated, and the
# imports must come from Windows itself: a runtime DLL would not ship with us.
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${DLL}")
endif()

# The name table runs from its heading to the next blank line.
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)*" table "${dump}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" exports "${table}")
set(names)
foreach(line IN LISTS exports)
  string(REGEX REPLACE "^\\[ *[0-9]+\\] " "" name "${line}")
  list(APPEND names "${name}")
endforeach()
if(NOT names STREQUAL "CreateNimbraPLUGIN")
  message(FATAL_ERROR "exports are [${names}], expected exactly CreateNimbraPLUGIN")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
set(allowed kernel32 user32 gdi32 advapi32 shell32 shlwapi comctl32 comdlg32 ole32 oleaut32
    wininet windowscodecs msimg32 uxtheme msvcrt ws2_32 version imm32 winmm)
foreach(line IN LISTS imports)
  string(REGEX REPLACE "DLL Name: " "" dll "${line}")
  string(TOLOWER "${dll}" dll)
  string(REGEX REPLACE "\\.dll$" "" base "${dll}")
  if(NOT base IN_LIST allowed AND NOT base MATCHES "^api-ms-win-")
    message(FATAL_ERROR "imports ${dll}, which is not a Windows system DLL")
  endif()
  message(STATUS "imports ${dll}")
endforeach()
message(STATUS "exports: ${names}")
