# The stand-in host's dynamic symbol table: what it defines for the modules it loads is the host
# interface (the oapi functions, VESSEL and VESSEL2) and nothing else of the host. Symbols that
# carry a library's version (the C++ library's streams, copied into the program) are the
# library's, not ours. ELF programs only; elsewhere the test is skipped.
#
#   cmake -DNM=<nm> -DHOST=<standin-host> -P CheckHostSymbols.cmake
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/HostProcess.cmake")
require_variables(HOST)

file(READ "${HOST}" magic LIMIT 4 HEX)
if(NOT magic STREQUAL "7f454c46" OR NOT NM OR NOT EXISTS "${NM}")
  message(STATUS "end-to-end test skipped: ${HOST} is not an ELF program, or there is no nm")
  return()
endif()
execute_process(COMMAND "${NM}" -D -C --defined-only "${HOST}"
                OUTPUT_VARIABLE defined ERROR_VARIABLE err RESULT_VARIABLE result)
if(NOT result STREQUAL "0")
  message(FATAL_ERROR "${NM} failed on ${HOST}: ${result}\n${err}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${defined}")
set(interface 0)
set(others)
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] " "" symbol "${line}")
  if(symbol MATCHES "^(oapi[A-Za-z_]+\\(|VESSEL2?::|(typeinfo|typeinfo name|vtable) for VESSEL2?$)")
    math(EXPR interface "${interface} + 1")
  elseif(NOT symbol MATCHES "@" AND NOT symbol MATCHES "^(_IO_stdin_used|_start|data_start|__data_start|_edata|_end|__bss_start|_init|_fini)$")
    list(APPEND others "${line}")
  endif()
endforeach()
if(interface EQUAL 0)
  message(FATAL_ERROR "${HOST} exports no host interface:\n${defined}")
endif()
if(others)
  list(JOIN others "\n  " others)
  message(FATAL_ERROR "${HOST} exports more than the host interface:\n  ${others}")
endif()
