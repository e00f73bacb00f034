# GoogleTest comes from Debian's source package so the cross builds get a copy
# compiled with their own compiler.
if(NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)
  foreach(t gtest gtest_main)
    if(ORVANE_SANITIZE)
      target_compile_options(${t} PRIVATE -fsanitize=${ORVANE_SANITIZE})
    endif()
    if(WIN32)
      target_compile_definitions(${t} PRIVATE _WIN32_WINNT=0x0601)
    endif()
  endforeach()
endif()
include(GoogleTest)

# The 32-bit Windows tests need wine32, which a machine may lack; the runner
# then exits with this code and CTest shows the tests as skipped.
set(ORVANE_SKIP_RETURN_CODE 77)
# Listing the tests of a suite runs it, so where it cannot run (a 32-bit build
# without wine32: scripts/test.sh turns this off then) each suite is
# registered as one test instead.
option(ORVANE_TEST_DISCOVERY "Register every test of a suite with CTest" ON)

# orvane_gtest(name SOURCES ... LIBS ... [TIMEOUT s] [LABEL l])
# LABEL threads marks suites that exercise threads: the tsan run of
# scripts/test.sh runs those. (One label: discovered tests cannot carry a
# list through gtest_discover_tests.)
function(orvane_gtest name)
  cmake_parse_arguments(A "" "TIMEOUT;LABEL" "SOURCES;LIBS" ${ARGN})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 120)
  endif()
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE orvane_flags ${A_LIBS} gtest_main gtest)
  target_compile_definitions(${name} PRIVATE ORVANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  orvane_windows_resources(${name})
  set(props TIMEOUT ${A_TIMEOUT} SKIP_RETURN_CODE ${ORVANE_SKIP_RETURN_CODE})
  if(A_LABEL)
    list(APPEND props LABELS ${A_LABEL})
  endif()
  if(ORVANE_TEST_DISCOVERY)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
      PROPERTIES ${props}
      DISCOVERY_TIMEOUT 60)
  else()
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ${props})
  endif()
endfunction()

# The include guard proves on throw-away trees that it catches what it must.
add_test(NAME build_guard_portable_includes
  COMMAND ${CMAKE_COMMAND} -DCHECKER=${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
          -DWORK=${CMAKE_BINARY_DIR}/guard-test
          -P ${PROJECT_SOURCE_DIR}/cmake/CheckIncludesTest.cmake)
# "host": runs on the build machine itself, also in the Windows builds.
set_tests_properties(build_guard_portable_includes PROPERTIES LABELS host)
