# cmake -DPROGRAM=kivora.exe -DOBJDUMP=... -DCOMPILER=... -DBITS=4|8 -P CheckWindowsProgram.cmake
#
# What Windows will make of the built program, checked from its headers:
# the processor it is for, a windowed (GUI) program, its manifest among its
# resources, and no import that Windows XP lacks. XP's DLLs are not at
# hand, so an import counts as XP's when MinGW's headers declare it for
# _WIN32_WINNT 0x0501; they leave out what came later (GetTickCount64, for
# one). The C runtime's imports are not judged here (docs/windows.md).
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE headers COMMAND_ERROR_IS_FATAL ANY)

if(BITS EQUAL 4)
  set(format pei-i386)
else()
  set(format pei-x86-64)
endif()
set(problems "")
if(NOT headers MATCHES "file format ${format}\n")
  string(APPEND problems "  not a ${format} program\n")
endif()
if(NOT headers MATCHES "\nSubsystem[ \t]+00000002[ \t]")
  string(APPEND problems "  not a windowed program (Subsystem 00000002)\n")
endif()
file(STRINGS ${PROGRAM} manifest REGEX "requireAdministrator|Common-Controls\" version=\"6\\.0\\.0\\.0|dpiAware|supportedOS")
if(NOT manifest MATCHES "requireAdministrator" OR NOT manifest MATCHES "Common-Controls"
   OR NOT manifest MATCHES "dpiAware" OR manifest MATCHES "supportedOS")
  string(APPEND problems "  its manifest is missing or not the program's\n")
endif()

# Every imported function but the C runtime's, by name.
string(REGEX MATCHALL "DLL Name: [^\n]+\n\tvma:[^\n]*(\n\t[0-9a-f]+\t +[0-9]+ +[A-Za-z0-9_]+)+" blocks "${headers}")
set(uses "")
foreach(block IN LISTS blocks)
  if(block MATCHES "^DLL Name: msvcrt.dll")
    continue()
  endif()
  string(REGEX MATCHALL "[0-9]+ +[A-Za-z0-9_]+\n|[0-9]+ +[A-Za-z0-9_]+$" functions "${block}")
  foreach(function IN LISTS functions)
    string(REGEX REPLACE "^[0-9]+ +([A-Za-z0-9_]+)\n?$" "\\1" name "${function}")
    string(APPEND uses "  (void)&${name};\n")
  endforeach()
endforeach()
set(probe ${PROGRAM}.xp-imports.cpp)
file(WRITE ${probe} "#include <windows.h>\n#include <commctrl.h>\n#include <imm.h>\n#include <objbase.h>\n"
                    "#include <shellapi.h>\n#include <shlobj.h>\nvoid probe() {\n${uses}}\n")
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${COMPILER} -fsyntax-only -D_WIN32_WINNT=0x0501 -DWINVER=0x0501 ${probe}
                RESULT_VARIABLE compiled ERROR_VARIABLE undeclared)
if(NOT compiled EQUAL 0)
  string(REGEX MATCHALL "'[A-Za-z0-9_]+' was not declared" missing "${undeclared}")
  string(REGEX REPLACE "' was not declared|'" "" missing "${missing}")
  string(APPEND problems "  imports that Windows XP lacks: ${missing}\n")
endif()
file(REMOVE ${probe})

if(problems)
  message(FATAL_ERROR "${PROGRAM}:\n${problems}")
endif()
