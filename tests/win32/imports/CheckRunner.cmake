# cmake -DRUNNER=<wine-run.sh> -DPROBE=<probe.exe> -DBITS=<32|64> -P this
# The runner must hand arguments to the program and its exit code back; a
# 32-bit program on a machine where wine32 is missing or cannot start (a
# kernel without 32-bit support) must come back as "skipped" (77), never as
# a silent success.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${RUNNER} ${PROBE} one two "three four"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
execute_process(COMMAND dpkg -s wine32:i386 RESULT_VARIABLE no_wine32 OUTPUT_QUIET ERROR_QUIET)
if(NOT no_wine32)
  execute_process(COMMAND /usr/lib/wine/wine --version RESULT_VARIABLE no_wine32 OUTPUT_QUIET ERROR_QUIET)
endif()
if(BITS EQUAL 32 AND no_wine32)
  if(NOT rc EQUAL 77 OR NOT err MATCHES "skipped: [^\n]*32-bit")
    message(FATAL_ERROR "32-bit program without wine32: exit ${rc}, stderr: ${err}")
  endif()
  return()
endif()
if(NOT rc EQUAL 3 OR NOT out MATCHES "^\\*\\*\\*\r?\n$")
  message(FATAL_ERROR "expected exit 3 and \"***\", got exit ${rc}, output \"${out}\", stderr: ${err}")
endif()
