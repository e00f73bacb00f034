# cmake -DROOT=<src folder> -P CheckPortableIncludes.cmake
#
# Fails when a portable source (anything under ROOT that is not inside a
# win32/ or posix/ folder) includes a platform header. Every violation is
# reported as "file: #include <header>".

cmake_minimum_required(VERSION 3.25)
get_filename_component(ROOT "${ROOT}" ABSOLUTE)
if(NOT IS_DIRECTORY "${ROOT}")
  message(FATAL_ERROR "CheckPortableIncludes: ROOT must name a folder")
endif()

# Headers that exist only on one platform, named exactly.
set(platform_headers
  windows.h winsock.h winsock2.h ws2tcpip.h mswsock.h iphlpapi.h wininet.h
  commctrl.h commdlg.h shlobj.h shellapi.h shlwapi.h objbase.h objidl.h ole2.h
  oleauto.h olectl.h unknwn.h wtypes.h rpc.h tchar.h io.h process.h direct.h
  conio.h mmsystem.h uxtheme.h dwmapi.h richedit.h
  unistd.h fcntl.h pthread.h poll.h netdb.h dlfcn.h dirent.h termios.h
  sched.h semaphore.h pwd.h grp.h spawn.h syslog.h ifaddrs.h)
# Folders of platform headers, and the Windows "win*.h" family (winbase.h,
# winuser.h, wingdi.h, winerror.h, ...). Checked on <...> includes only: the
# project's own headers are included with quotes and may live in net/.
set(angle_patterns "^(sys|arpa|netinet|net|linux|asm|X11|mach)/" "^win[a-z0-9_]*\\.h$")

file(GLOB_RECURSE sources RELATIVE "${ROOT}" LIST_DIRECTORIES false
  "${ROOT}/*.h" "${ROOT}/*.hpp" "${ROOT}/*.c" "${ROOT}/*.cc" "${ROOT}/*.cpp" "${ROOT}/*.inc")
list(SORT sources)

set(violations "")
foreach(rel IN LISTS sources)
  if(rel MATCHES "(^|/)(win32|posix)/")
    continue()
  endif()
  file(STRINGS "${ROOT}/${rel}" lines REGEX "^[ \t]*#[ \t]*include")
  if(NOT lines)
    continue()
  endif()
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]+)[>\"]")
      continue()
    endif()
    set(delim "${CMAKE_MATCH_1}")
    string(TOLOWER "${CMAKE_MATCH_2}" header)
    string(STRIP "${header}" header)
    set(bad OFF)
    if(header IN_LIST platform_headers)
      set(bad ON)
    elseif(delim STREQUAL "<")
      foreach(p IN LISTS angle_patterns)
        string(TOLOWER "${p}" p)
        if(header MATCHES "${p}")
          set(bad ON)
        endif()
      endforeach()
    endif()
    if(bad)
      list(APPEND violations "${ROOT}/${rel}: ${line}")
    endif()
  endforeach()
endforeach()

if(violations)
  list(LENGTH violations n)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR
    "${n} platform header(s) included by portable sources (move the code to a "
    "win32/ or posix/ sub-folder behind an interface):\n  ${text}")
endif()
