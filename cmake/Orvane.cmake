# Project-wide flags and the helpers every folder uses to declare its targets.

set(ORVANE_WIN32 ${WIN32})
if(WIN32)
  enable_language(RC)
endif()

add_library(orvane_flags INTERFACE)
target_compile_options(orvane_flags INTERFACE
  -Wall -Wextra -Wconversion -Wsign-conversion -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual)
if(ORVANE_WERROR)
  target_compile_options(orvane_flags INTERFACE -Werror)
endif()
target_include_directories(orvane_flags INTERFACE ${PROJECT_SOURCE_DIR}/src)

if(WIN32)
  # Windows programs import only system DLLs: the C++ runtime, libgcc and
  # winpthread are linked in.
  target_compile_definitions(orvane_flags INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  target_link_options(orvane_flags INTERFACE -static -static-libgcc -static-libstdc++)
else()
  find_package(Threads REQUIRED)
  target_link_libraries(orvane_flags INTERFACE Threads::Threads)
endif()
# The sanitizers miss an index past a container's size but within what it
# has reserved; the library's own checks catch that.
if(ORVANE_SANITIZE OR ORVANE_FUZZ)
  target_compile_definitions(orvane_flags INTERFACE _GLIBCXX_ASSERTIONS)
endif()
if(ORVANE_SANITIZE)
  target_compile_options(orvane_flags INTERFACE -fsanitize=${ORVANE_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(orvane_flags INTERFACE -fsanitize=${ORVANE_SANITIZE})
endif()

# orvane_library(name SOURCES ... [POSIX ...] [WIN32 ...] [LIBS ...])
# Platform files are listed apart so the portable sources stay free of
# platform headers.
function(orvane_library name)
  cmake_parse_arguments(A "" "" "SOURCES;POSIX;WIN32;LIBS;WIN32_LIBS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  if(WIN32)
    target_sources(${name} PRIVATE ${A_WIN32})
    target_link_libraries(${name} PUBLIC ${A_WIN32_LIBS})
  else()
    target_sources(${name} PRIVATE ${A_POSIX})
  endif()
  target_link_libraries(${name} PUBLIC orvane_flags ${A_LIBS})
endfunction()

# orvane_product(name STATIC|OBJECT VERSION MAJOR.MINOR HOST host)
# The one unit that sees the version and the web host (src/product), with the
# version block of Windows programs as OBJECT library name_resources; no other
# object depends on them. The build's own is the STATIC orvane_product; a
# program of another version links an OBJECT one, whose definitions come
# before the library's and so keep it out.
function(orvane_product name kind)
  cmake_parse_arguments(A "" "VERSION;HOST" "" ${ARGN})
  if(NOT A_VERSION MATCHES "^([0-9]+)\\.([0-9]+)$")
    message(FATAL_ERROR "ORVANE_VERSION must read MAJOR.MINOR, not '${A_VERSION}'")
  endif()
  math(EXPR major "${CMAKE_MATCH_1}")
  math(EXPR minor "${CMAKE_MATCH_2}")
  add_library(${name} ${kind} ${PROJECT_SOURCE_DIR}/src/product/OrvaneProduct.cpp)
  target_link_libraries(${name} PUBLIC orvane_flags)
  target_compile_definitions(${name} PRIVATE
    ORVANE_VERSION="${A_VERSION}" ORVANE_WEB_HOST="${A_HOST}")
  if(NOT WIN32)
    return()
  endif()
  set(rc ${PROJECT_SOURCE_DIR}/src/res/Orvane.rc)
  add_library(${name}_resources OBJECT ${rc})
  target_compile_definitions(${name}_resources PRIVATE
    ORVANE_VERSION="${A_VERSION}" ORVANE_VERSION_NUMBERS=${major},${minor},0,0)
  # windres does not see the .rc's own folder as an include path.
  target_include_directories(${name}_resources PRIVATE ${PROJECT_SOURCE_DIR}/src/res)
  set_property(SOURCE ${rc} TARGET_DIRECTORY ${name}_resources APPEND PROPERTY OBJECT_DEPENDS
    ${PROJECT_SOURCE_DIR}/src/res/Orvane.manifest ${PROJECT_SOURCE_DIR}/src/res/KvLogo.bmp)
endfunction()

# orvane_windows_resources(target [product]): links the application manifest
# and the version block of src/res (those of product, orvane_product unless
# named) into a Windows executable. Calling it twice, or on a Linux build,
# does nothing.
function(orvane_windows_resources target)
  if(NOT WIN32)
    return()
  endif()
  get_target_property(done ${target} ORVANE_RESOURCES)
  if(done)
    return()
  endif()
  set_target_properties(${target} PROPERTIES ORVANE_RESOURCES ON)
  set(product orvane_product)
  if(ARGC GREATER 1)
    set(product ${ARGV1})
  endif()
  target_link_libraries(${target} PRIVATE ${product}_resources)
endfunction()

# orvane_executable(name SOURCES ... LIBS ... [GUI] [PRODUCT name])
# Windows executables get the manifest and version block; PRODUCT links a
# program of another version and host (see orvane_product).
function(orvane_executable name)
  cmake_parse_arguments(A "GUI" "PRODUCT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE orvane_flags ${A_PRODUCT} ${A_LIBS})
  if(WIN32 AND A_GUI)
    set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE ON)
  endif()
  orvane_windows_resources(${name} ${A_PRODUCT})
endfunction()

# orvane_update_site(program folder VERSION v HOST h): the update site of
# program (see README) in folder; its installer.exe is the command's output.
function(orvane_update_site program folder)
  cmake_parse_arguments(A "" "VERSION;HOST" "" ${ARGN})
  set(news ${PROJECT_SOURCE_DIR}/site/news.txt)
  set(page ${PROJECT_SOURCE_DIR}/site/orvane.html)
  add_custom_command(
    OUTPUT ${folder}/imaging/tiff/orvane/installer.exe ${folder}/imaging/tiff/orvane/liveupdate.txt
      ${folder}/imaging/tiff/orvane.html
    COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:${program}> -DOUT=${folder}
      -DVERSION=${A_VERSION} -DHOST=${A_HOST} -DNEWS=${news} -DPAGE=${page}
      -P ${PROJECT_SOURCE_DIR}/cmake/MakeUpdateSite.cmake
    DEPENDS ${program} ${news} ${page} ${PROJECT_SOURCE_DIR}/cmake/MakeUpdateSite.cmake
    COMMENT "Writing the update site of ${program} into ${folder}"
    VERBATIM)
endfunction()

# Test folders are configured in every build; without ORVANE_TESTS their
# suites are simply not declared (OrvaneTesting.cmake defines the real one).
function(orvane_gtest name)
endfunction()

# Fuzz builds instrument every library for coverage; the fuzz targets add the
# libFuzzer driver. build/<preset>/fuzzers.txt lists the targets for the
# script that runs them (one line each: name, executable, corpus, dictionary,
# folder of saved crash inputs to replay).
if(ORVANE_FUZZ)
  target_compile_options(orvane_flags INTERFACE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_link_options(orvane_flags INTERFACE -fsanitize=address,undefined)
  file(WRITE ${CMAKE_BINARY_DIR}/fuzzers.txt "")
endif()

# orvane_fuzzer(name SOURCES ... LIBS ... [CORPUS dir] [DICT file] [REGRESSIONS dir]
#               [MAX_LEN bytes] [DEFINITIONS ...])
# Paths are relative to the calling folder. MAX_LEN caps the inputs the
# fuzz suite makes (libFuzzer's -max_len); saved inputs may be longer.
function(orvane_fuzzer name)
  if(NOT ORVANE_FUZZ)
    return()
  endif()
  cmake_parse_arguments(A "" "CORPUS;DICT;REGRESSIONS;MAX_LEN" "SOURCES;LIBS;DEFINITIONS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE orvane_flags ${A_LIBS})
  target_compile_definitions(${name} PRIVATE ${A_DEFINITIONS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set(MAX_LEN "-")
  if(A_MAX_LEN)
    set(MAX_LEN ${A_MAX_LEN})
  endif()
  foreach(v CORPUS DICT REGRESSIONS)
    if(A_${v})
      set(${v} ${CMAKE_CURRENT_SOURCE_DIR}/${A_${v}})
    else()
      set(${v} "-")
    endif()
  endforeach()
  file(APPEND ${CMAKE_BINARY_DIR}/fuzzers.txt
    "${name}\t${CMAKE_CURRENT_BINARY_DIR}/${name}\t${CORPUS}\t${DICT}\t${REGRESSIONS}\t${MAX_LEN}\n")
endfunction()

# Portable-core sources must not include platform headers, and no folder of
# src/ may include one above it; the check is part of every build. (Platform
# code lives in win32/ and posix/ sub-folders.)
add_custom_target(orvane_portable_includes ALL
  COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR}/src
          -P ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
  COMMENT "Checking the includes of src/: no platform headers, no higher layers"
  VERBATIM)
