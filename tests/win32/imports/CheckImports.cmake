# cmake -DLIST=<file with one .exe per line> -DOBJDUMP=<objdump>
#       [-DPROBES=<file listing the probe and a missing .exe>] -P this
#
# Every listed Windows executable must exist, import only DLLs that ship
# with Windows, and carry the application manifest (RT_MANIFEST, id 1; long
# path aware) and the version block (RT_VERSION) with the product's version text. The probe,
# built the wrong way on purpose (shared C++ runtime, no resources), and a
# missing program show that the check notices each fault.

cmake_minimum_required(VERSION 3.25)

set(system_dlls kernel32 user32 gdi32 comctl32 comdlg32 shell32 ole32 oleaut32
                advapi32 ws2_32 msvcrt)

function(check_executables exes out)
  set(failures "")
  foreach(exe IN LISTS exes)
    get_filename_component(name "${exe}" NAME)
    if(NOT EXISTS "${exe}")
      list(APPEND failures "${name}: not built")
      continue()
    endif()
    execute_process(COMMAND ${OBJDUMP} -p "${exe}" RESULT_VARIABLE rc
      OUTPUT_VARIABLE dump ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
      list(APPEND failures "${name}: objdump failed: ${err}")
      continue()
    endif()

    string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
    if(NOT imports)
      list(APPEND failures "${name}: no imports found (not a PE executable?)")
    endif()
    foreach(line IN LISTS imports)
      string(REGEX REPLACE "^DLL Name: *" "" dll "${line}")
      string(STRIP "${dll}" dll)
      string(TOLOWER "${dll}" lower)
      string(REGEX REPLACE "\\.dll$" "" base "${lower}")
      if(NOT base IN_LIST system_dlls AND NOT base MATCHES "^api-ms-win-crt-")
        list(APPEND failures "${name}: imports ${dll}, which is not a system DLL")
      endif()
    endforeach()

    # Resource types are the entries of the resource directory's first level
    # (three blanks deep in objdump's listing): 0x10 RT_VERSION, 0x18 RT_MANIFEST.
    foreach(res "000010;version block" "000018;manifest")
      list(GET res 0 id)
      list(GET res 1 what)
      if(NOT dump MATCHES "\n[0-9a-f]+   Entry: ID: 0x${id},")
        list(APPEND failures "${name}: no ${what} resource")
      endif()
    endforeach()
    file(STRINGS "${exe}" manifest REGEX "Microsoft\\.Windows\\.Common-Controls")
    if(NOT manifest)
      list(APPEND failures "${name}: manifest lacks the Common Controls 6 dependency")
    endif()
    file(STRINGS "${exe}" longPaths REGEX "<longPathAware [^>]*>true</longPathAware>")
    if(NOT longPaths)
      list(APPEND failures "${name}: manifest does not declare long path awareness")
    endif()
    # Any MAJOR.MINOR: the update test's programs carry versions of their own.
    file(STRINGS "${exe}" version ENCODING UTF-16LE REGEX "^([0-9]+\\.[0-9]+|Orvane|Kestrova)$")
    list(REMOVE_DUPLICATES version)
    list(LENGTH version n)
    if(n LESS 3)
      list(APPEND failures "${name}: version block lacks a version, \"Orvane\" or \"Kestrova\" (found: ${version})")
    endif()
  endforeach()
  set(${out} "${failures}" PARENT_SCOPE)
endfunction()

file(STRINGS "${LIST}" exes)
if(NOT exes)
  message(FATAL_ERROR "no Windows executables listed in ${LIST}")
endif()
check_executables("${exes}" failures)
list(LENGTH exes count)
if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "Windows executables:\n  ${text}")
endif()

if(PROBES)
  file(STRINGS "${PROBES}" probes)
  check_executables("${probes}" found)
  list(JOIN found "\n  " text)
  foreach(e "orvane_imports_probe.exe: imports libstdc++-6.dll, which is not a system DLL"
            "orvane_imports_probe.exe: no version block resource"
            "orvane_imports_probe.exe: no manifest resource"
            "orvane_imports_probe.exe: manifest lacks the Common Controls 6 dependency"
            "orvane_imports_probe.exe: manifest does not declare long path awareness"
            "missing.exe: not built")
    if(NOT e IN_LIST found)
      message(FATAL_ERROR "the check did not report \"${e}\":\n  ${text}")
    endif()
  endforeach()
  if(text MATCHES "KERNEL32|msvcrt")
    message(FATAL_ERROR "the check rejected a system DLL:\n  ${text}")
  endif()
endif()
message(STATUS "${count} Windows executables import only system DLLs and carry manifest and version")
