# Fails unless every DLL that PROGRAM imports is one of Windows' known DLLs (the
# KnownDLLs of Windows 10 and 11), which the system always maps from its own folder: any
# other DLL imported by name would be looked for beside the program first, before the
# program's own code could narrow the search.
#   cmake -DPROGRAM=Orsetta.scr -DOBJDUMP=x86_64-w64-mingw32-objdump -P KnownDllImports.cmake
cmake_minimum_required(VERSION 3.25)
set(known advapi32 clbcatq combase comdlg32 coml2 difxapi gdi32 gdiplus imagehlp imm32
  kernel32 msctf msvcrt normaliz nsi ntdll ole32 oleaut32 psapi rpcrt4 sechost setupapi
  shcore shell32 shlwapi user32 wldap32 ws2_32)

execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE headers RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} could not read ${PROGRAM}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${headers}")
if(NOT lines)
  message(FATAL_ERROR "no import table found in ${PROGRAM}")
endif()
set(foreign)
foreach(line IN LISTS lines)
  string(REGEX REPLACE "DLL Name: *([^ ]+)\\.[dD][lL][lL] *$" "\\1" dll "${line}")
  string(TOLOWER "${dll}" dll)
  message(STATUS "imports ${dll}.dll")
  if(NOT dll IN_LIST known)
    list(APPEND foreign ${dll})
  endif()
endforeach()
if(foreign)
  message(FATAL_ERROR "imports DLLs that may be looked for beside the program: ${foreign}")
endif()
