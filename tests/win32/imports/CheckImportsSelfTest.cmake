# cmake -DLIST=... -DOBJDUMP=... -DCHECKER=<CheckImports.cmake> -P this
# The list names the probe (shared runtime, no resources) and a missing
# program; the check must fail and name every fault.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${CMAKE_COMMAND} -DLIST=${LIST} -DOBJDUMP=${OBJDUMP} -P ${CHECKER}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(rc EQUAL 0)
  message(FATAL_ERROR "the import check accepted a program built the wrong way:\n${out}")
endif()
set(expected
  "orvane_imports_probe.exe: imports libstdc\\+\\+-6.dll, which is not a system DLL"
  "orvane_imports_probe.exe: no version block resource"
  "orvane_imports_probe.exe: no manifest resource"
  "orvane_imports_probe.exe: manifest lacks the Common Controls 6 dependency"
  "missing.exe: not built")
foreach(e IN LISTS expected)
  if(NOT out MATCHES "${e}")
    message(FATAL_ERROR "the import check did not report \"${e}\":\n${out}")
  endif()
endforeach()
# System DLLs are not reported, whatever their case.
if(out MATCHES "KERNEL32|msvcrt")
  message(FATAL_ERROR "the import check rejected a system DLL:\n${out}")
endif()
