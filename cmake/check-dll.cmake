cmake_minimum_required(VERSION 3.25)
# Checks a plug-in DLL's tables with objdump -p: it exports exactly
# lokGetParserFactory, and imports from tessplug.dll and the system only.
# Usage: cmake -DOBJDUMP=... -DDLL=... -P check-dll.cmake
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed")
endif()

# Export names stand in the "[Ordinal/Name Pointer] Table" as "[   0] name".
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([ \t]+\\[[ 0-9]+\\][^\n]*\n)*)" table "${dump}")
string(REGEX MATCHALL "\\] [A-Za-z_][A-Za-z0-9_@]*" exports "${CMAKE_MATCH_1}")
list(TRANSFORM exports REPLACE "^\\] " "")
message(STATUS "exports: ${exports}")
if(NOT exports STREQUAL "lokGetParserFactory")
  message(FATAL_ERROR "expected to export only lokGetParserFactory, found: ${exports}")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
list(TRANSFORM imports REPLACE "DLL Name: " "")
message(STATUS "imports: ${imports}")
foreach(dll IN LISTS imports)
  string(TOLOWER "${dll}" lower)
  if(NOT lower MATCHES "^(tessplug\\.dll|kernel32\\.dll|msvcrt\\.dll|api-ms-win-crt-.*\\.dll)$")
    message(FATAL_ERROR "unexpected import ${dll}: the plug-in links only against tessplug")
  endif()
endforeach()
if(NOT "tessplug.dll" IN_LIST imports)
  message(FATAL_ERROR "the plug-in does not import tessplug.dll")
endif()
