# A run that cannot start must end with a clear message that names the file and the reason, and a
# non-zero exit code: never a crash, never a sanitizer report, never a saved scenario.
#
#   cmake -DHOST=<standin-host> -DWORK_DIR=<folder> -DARGUMENTS=<a|b|...> -DEXPECT=<regex>
#         -P CheckHostFailure.cmake
#
# ARGUMENTS are the host's arguments separated by '|'; "--output out.scn" is added. EXPECT is a
# regular expression that the error stream must match.
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/HostProcess.cmake")
require_variables(HOST WORK_DIR ARGUMENTS EXPECT)

fresh_folder("${WORK_DIR}")
string(REPLACE "|" ";" arguments "${ARGUMENTS}")
run_host(run "${WORK_DIR}" ${arguments} --output out.scn)

# A process ended by a signal has no exit code but a description such as "Segmentation fault".
if(NOT run_RESULT MATCHES "^[0-9]+$")
  message(FATAL_ERROR "the host did not exit but ended with '${run_RESULT}':\n${run_STDERR}")
endif()
if(run_RESULT EQUAL 0)
  message(FATAL_ERROR "the host reported success:\n${run_STDOUT}")
endif()
if(run_STDERR MATCHES "Sanitizer|runtime error:")
  message(FATAL_ERROR "the host tripped a sanitizer:\n${run_STDERR}")
endif()
if(NOT run_STDERR MATCHES "^standin-host: ")
  message(FATAL_ERROR "the message does not say who speaks: '${run_STDERR}'")
endif()
if(NOT run_STDERR MATCHES "${EXPECT}")
  message(FATAL_ERROR "the message does not match '${EXPECT}':\n${run_STDERR}")
endif()
if(EXISTS "${WORK_DIR}/out.scn" OR EXISTS "${WORK_DIR}/out.scn.partial")
  message(FATAL_ERROR "the failed run saved a scenario")
endif()
