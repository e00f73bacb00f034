# cmake -DCHECKER=<CheckIncludes.cmake> -DWORK=<scratch folder> -P this
#
# Runs the include guard on small throw-away source trees and fails when it
# lets a platform include or an include from a higher layer through, or
# rejects a sound one.

cmake_minimum_required(VERSION 3.25)

# path in the tree | file text (\n for new lines) | expected: ok or bad
set(cases
  "io/Store.cpp|#include <windows.h>|bad"
  "io/Store.cpp|  #  include   <Windows.h>|bad"
  "net/Sock.h|#include <winsock2.h>|bad"
  "net/Sock.h|#include <ws2tcpip.h>|bad"
  "app/Frm.cpp|#include <winuser.h>|bad"
  "app/Frm.cpp|#include <commctrl.h>|bad"
  "shelldlg/Dlg.cpp|#include <shlobj.h>|bad"
  "io/File.cpp|#include <unistd.h>|bad"
  "io/File.cpp|#include \"fcntl.h\"|bad"
  "io/File.cpp|#include <sys/stat.h>|bad"
  "net/Sock.cpp|#include <netinet/in.h>|bad"
  "net/Sock.cpp|#include <arpa/inet.h>|bad"
  "app/Thr.cpp|#include <pthread.h>|bad"
  "deep/a/b/c.cpp|#include <poll.h>|bad"
  "io/Store.cpp|#include <string>\\n#include <cstdio>\\n#include \"io/SysErr.h\"|ok"
  "net/Http.cpp|#include \"net/KvSock.h\"|ok"
  "app/Frm.cpp|#include \"app/WinPlace.h\"|ok"
  "app/Frm.cpp|// #include <windows.h>|ok"
  "io/win32/File.cpp|#include <windows.h>|ok"
  "io/posix/File.cpp|#include <unistd.h>\\n#include <sys/stat.h>|ok"
  "net/win32/Sock.cpp|#include <winsock2.h>|ok"
  "install/F.cpp|#include \"install/F.h\"\n#include \"app/StartUp.h\"|bad"
  "update/win32/T.cpp|#include \"app/KvThread.h\"|bad"
  "io/E.h|#include \"tiff/KvCodecTiff.h\"|bad"
  "app/F.cpp|#include \"io/SysErr.h\"\n#include \"tiff/TiffNames.h\"|ok")

set(failures "")
set(n 0)
foreach(case IN LISTS cases)
  math(EXPR n "${n} + 1")
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 path)
  list(GET parts 1 text)
  list(GET parts 2 expected)
  string(REPLACE "\\n" "\n" text "${text}")
  set(tree "${WORK}/case${n}")
  file(REMOVE_RECURSE "${tree}")
  file(WRITE "${tree}/${path}" "${text}\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${tree} -P ${CHECKER}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(rc EQUAL 0)
    set(got ok)
  else()
    set(got bad)
    # A rejection must name the offending file so it can be found.
    if(NOT out MATCHES "${path}")
      list(APPEND failures "case ${n} (${path}): message does not name the file:\n${out}")
    endif()
  endif()
  if(NOT got STREQUAL expected)
    list(APPEND failures "case ${n} (${path}: ${text}): expected ${expected}, got ${got}")
  endif()
  file(REMOVE_RECURSE "${tree}")
endforeach()

if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "${text}")
endif()
message(STATUS "include guard: ${n} cases as expected")
