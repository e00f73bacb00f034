# cmake -DROOT=<src folder> -P CheckIncludes.cmake
#
# Fails when a portable source (anything under ROOT that is not inside a
# win32/ or posix/ folder) includes a platform header, or when a source
# includes a header of a folder that is not below its own in the table of
# layers. Every violation is reported as "file: #include ...".

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

# Each folder of ROOT and the folders whose headers it may include. A folder
# missing here may include no header of another folder.
set(layers
  "product="
  "io="
  "tiff=io"
  "inspect=decode,tiff,io"
  "decode=tiff,io"
  "html=io"
  "net=io"
  "window=io"
  "hexview=window,io"
  "shelldlg=window,io"
  "htmlview=html,window,io,product"
  "install=shelldlg,window,io,product"
  "update=net,window,io,product"
  "app=install,update,htmlview,hexview,shelldlg,window,html,net,inspect,decode,tiff,io,product")

# The project's folders: those of the table and any other one in ROOT.
file(GLOB folders RELATIVE "${ROOT}" LIST_DIRECTORIES true "${ROOT}/*")
foreach(entry IN LISTS layers)
  string(REGEX REPLACE "=.*" "" folder "${entry}")
  list(APPEND folders "${folder}")
endforeach()

# allowed_folders(folder out): the folders the folder's sources may include.
function(allowed_folders folder out)
  set(result "${folder}")
  foreach(entry IN LISTS layers)
    if(entry MATCHES "^${folder}=(.*)$")
      string(REPLACE "," ";" uses "${CMAKE_MATCH_1}")
      list(APPEND result ${uses})
    endif()
  endforeach()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE "${ROOT}" LIST_DIRECTORIES false
  "${ROOT}/*.h" "${ROOT}/*.hpp" "${ROOT}/*.c" "${ROOT}/*.cc" "${ROOT}/*.cpp" "${ROOT}/*.inc")
list(SORT sources)

set(violations "")
set(layer_violations "")
foreach(rel IN LISTS sources)
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
    if(delim STREQUAL "\"" AND header MATCHES "^([^/]+)/" AND CMAKE_MATCH_1 IN_LIST folders)
      set(used "${CMAKE_MATCH_1}")
      string(REGEX REPLACE "/.*" "" own "${rel}")
      allowed_folders("${own}" allowed)
      if(NOT used IN_LIST allowed)
        list(APPEND layer_violations "${ROOT}/${rel}: ${line}")
      endif()
    endif()
    if(rel MATCHES "(^|/)(win32|posix)/")
      continue()
    endif()
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

if(layer_violations)
  list(LENGTH layer_violations n)
  list(JOIN layer_violations "\n  " text)
  message(FATAL_ERROR
    "${n} header(s) included from a folder that is not below the includer's own "
    "(see the table of layers in this script):\n  ${text}")
endif()
if(violations)
  list(LENGTH violations n)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR
    "${n} platform header(s) included by portable sources (move the code to a "
    "win32/ or posix/ sub-folder behind an interface):\n  ${text}")
endif()
