# cmake -DRUNNER=<wine-run.sh> -DPROBE=<probe.exe> -DBITS=<32|64> -P this
# The runner must hand arguments to the program and its exit code back; a
# 32-bit program on a machine without wine32 must come back as "skipped"
# (77), never as a silent success.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${RUNNER} ${PROBE} one two "three four"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
execute_process(COMMAND dpkg -s wine32:i386 RESULT_VARIABLE no_wine32 OUTPUT_QUIET ERROR_QUIET)
if(BITS EQUAL 32 AND no_wine32)
  if(NOT rc EQUAL 77 OR NOT err MATCHES "skipped: wine32 not installed")
    message(FATAL_ERROR "32-bit program without wine32: exit ${rc}, stderr: ${err}")
  endif()
  return()
endif()
if(NOT rc EQUAL 3 OR NOT out MATCHES "^\\*\\*\\*\r?\n$")
  message(FATAL_ERROR "expected exit 3 and \"***\", got exit ${rc}, output \"${out}\", stderr: ${err}")
endif()
