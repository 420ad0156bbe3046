# A debug line longer than its buffer is cut where the buffer ends (DebugStringCapacity - 1 = 255
# characters), the same in the run log and in the trace, whose row of the vessel that wrote it
# carries it.
#
#   cmake -DHOST=<standin-host> -DMODULES=<folder with LongDebugLine> -DWORK_DIR=<folder>
#         -P CheckLongDebugLine.cmake
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/HostProcess.cmake")
require_variables(HOST MODULES WORK_DIR)
fresh_folder("${WORK_DIR}")
file(WRITE "${WORK_DIR}/config/LongDebugLine.cfg" "Module = LongDebugLine\n")
file(WRITE "${WORK_DIR}/long.scn" "STEP 1\nEND 1\nVESSEL A LongDebugLine\nEND_VESSEL\n")
run_host(run "${WORK_DIR}" --modules "${MODULES}" --trace trace.csv long.scn)
expect_clean_run(run "a debug line longer than its buffer")
string(REPEAT "x" 255 cut)
if(NOT run_STDOUT MATCHES "\\[t=1\\.000\\] debug \"${cut}\"\n")
  message(FATAL_ERROR "the log does not show the line cut to 255 characters:\n${run_STDOUT}")
endif()
read_text(trace "${WORK_DIR}/trace.csv")
if(NOT trace MATCHES "\n1,A,LongDebugLine,[^\n]*,${cut},\n")
  message(FATAL_ERROR "the trace does not carry the line cut to 255 characters:\n${trace}")
endif()
