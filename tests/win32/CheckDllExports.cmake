# cmake -DOBJDUMP=... -DDLL=... -P CheckDllExports.cmake
cmake_minimum_required(VERSION 3.25)
# The export table must hold exactly CreateNimbraPLUGIN, undecorated, the
# imports must come from Windows itself (a runtime DLL would not ship with us),
# and no file is reached by an 8-bit name.
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

# An 8-bit name goes through the system code page: in a folder named in other
# letters every file is lost. fopen is not listed: the C++ runtime's file
# streams bring it along whether or not we open anything with it.
set(narrow_file_calls CreateFileA CreateDirectoryA DeleteFileA RemoveDirectoryA MoveFileA MoveFileExA
    CopyFileA ReplaceFileA GetFileAttributesA GetFileAttributesExA SetFileAttributesA FindFirstFileA
    FindFirstFileExA GetFullPathNameA GetModuleFileNameA GetPrivateProfileStringA GetPrivateProfileIntA
    GetPrivateProfileSectionA WritePrivateProfileStringA ShellExecuteA _stat _stat32 _stat64 _stat64i32
    _mkdir _rmdir _unlink remove rename _open _sopen _findfirst _findfirst64 _access _chdir)
string(REGEX MATCHALL "\n\t[ 0-9a-fA-F]+[ \t]+[0-9]+[ \t]+[A-Za-z_][A-Za-z_0-9]*" entries "${dump}")
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "^.*[ \t]" "" function "${entry}")
  if(function IN_LIST narrow_file_calls)
    message(FATAL_ERROR "imports ${function}: files must be reached by their UTF-16 names")
  endif()
endforeach()
message(STATUS "exports: ${names}")
