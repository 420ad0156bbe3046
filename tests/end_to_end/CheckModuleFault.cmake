# A module that crashes, or lets an exception out of a callback, ends the run with one line that
# names the vessel, its class and module file, the callback and the simulation time; the run log
# up to the fault is on the standard output though it is a pipe (the host holds the lines of such a
# log), and nothing of the run is saved.
#
#   cmake -DHOST=<standin-host> -DWORK_DIR=<folder> -DSCENARIO=<scn> -DCONFIG=<folder>
#         -DMODULES=<folder> -DSTATUS=<exit status> -DEXPECT=<regex> -P CheckModuleFault.cmake
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/HostProcess.cmake")
require_variables(HOST WORK_DIR SCENARIO CONFIG MODULES STATUS EXPECT)

fresh_folder("${WORK_DIR}")
run_host(run "${WORK_DIR}" "${SCENARIO}" --config "${CONFIG}" --modules "${MODULES}"
         --output out.scn --trace trace.csv)
if(NOT run_RESULT STREQUAL "${STATUS}")
  message(FATAL_ERROR "the host ended with '${run_RESULT}', not ${STATUS}:\n${run_STDERR}")
endif()
if(NOT run_STDERR MATCHES "^standin-host: ${EXPECT}; nothing of the run is saved\n$")
  message(FATAL_ERROR "the message is not one line matching '${EXPECT}':\n${run_STDERR}")
endif()
# Every line logged before the fault: the vessels' creation and their steps up to it.
if(NOT run_STDOUT MATCHES "^\\[t=0\\.000\\] created Probe \\(class [A-Za-z]+\\)\n"
   OR NOT run_STDOUT MATCHES "\\[t=[23]\\.000\\] debug \"[a-z-]+ at [23]\"\n$")
  message(FATAL_ERROR "the run log does not hold every line up to the fault:\n${run_STDOUT}")
endif()
file(GLOB left RELATIVE "${WORK_DIR}" "${WORK_DIR}/*")
if(left)
  message(FATAL_ERROR "the run wrote ${left}")
endif()
