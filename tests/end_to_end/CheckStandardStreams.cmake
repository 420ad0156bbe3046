# "-" is the standard stream: a scenario read from the standard input, with the class
# configurations in config/ of the working folder, saved to the standard output, which then holds
# the scenario alone while the run log goes to the standard error; two products on the standard
# output are refused before the run, and nothing is written.
#
#   cmake -DHOST=<standin-host> -DCONFIG=<examples/config> -DWORK_DIR=<folder>
#         -P CheckStandardStreams.cmake
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/HostProcess.cmake")
require_variables(HOST CONFIG WORK_DIR)
fresh_folder("${WORK_DIR}")
file(COPY "${CONFIG}/" DESTINATION "${WORK_DIR}/config")
file(WRITE "${WORK_DIR}/input.scn" "STEP 1\nEND 2\nVESSEL A Brevlet\nEND_VESSEL\n")

string(REPLACE "|" ";" launcher "${HOST_LAUNCHER}")
function(run_with_input prefix)
  execute_process(COMMAND ${launcher} "${HOST}" ${ARGN} INPUT_FILE "${WORK_DIR}/input.scn"
                  WORKING_DIRECTORY "${WORK_DIR}" OUTPUT_VARIABLE out ERROR_VARIABLE err
                  RESULT_VARIABLE result)
  set(${prefix}_STDOUT "${out}" PARENT_SCOPE)
  set(${prefix}_STDERR "${err}" PARENT_SCOPE)
  set(${prefix}_RESULT "${result}" PARENT_SCOPE)
endfunction()

run_with_input(saved -o - -)
if(NOT saved_RESULT EQUAL 0 OR NOT saved_STDOUT MATCHES "^TIME 2\nSTEP 1\nEND 2\n.*\nVESSEL A Brevlet\n"
   OR NOT saved_STDERR MATCHES "\\[t=0\\.000\\] created A \\(class Brevlet\\)\n.*saved scenario to")
  message(FATAL_ERROR "-o - -: exit ${saved_RESULT}\nstandard output:\n${saved_STDOUT}\n"
                      "standard error:\n${saved_STDERR}")
endif()

foreach(second IN ITEMS -t -p)
  run_with_input(refused -o - ${second} - -)
  if(refused_RESULT EQUAL 0 OR NOT refused_STDOUT STREQUAL "" OR NOT refused_STDERR MATCHES
     "^standin-host: --output and --(trace|plot) both write the standard output; one product per stream")
    message(FATAL_ERROR "-o - ${second} -: exit ${refused_RESULT}\nstandard output:\n"
                        "${refused_STDOUT}\nstandard error:\n${refused_STDERR}")
  endif()
endforeach()
file(GLOB left RELATIVE "${WORK_DIR}" "${WORK_DIR}/*")
list(REMOVE_ITEM left config input.scn)
if(left)
  message(FATAL_ERROR "the runs left ${left} in the working folder")
endif()
