# A run that is saved at time T and continued from the saved file must delete every vessel at the
# same simulation time, and end in the same saved scenario byte for byte, as the run without the
# interruption.
#
#   cmake -DHOST=<standin-host> -DSCENARIO=<file.scn> -DWORK_DIR=<folder> -DTIMES=<T1,T2,...>
#         [-DCONFIG=<folder>] [-DSAVE_EVENT_TIME=<t> -DSAVE_EVENT_FILE=<name>]
#         [-DBEYOND_END=<time after END>] -P CheckContinuity.cmake
#
# SAVE_EVENT_FILE names the file that the scenario's "AT t SAVE <name>" event writes during the run
# (relative to the working folder). It must equal the scenario saved by a run that ends at t, and a
# run continued from it must end like the uninterrupted one.
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/HostProcess.cmake")
require_variables(HOST SCENARIO WORK_DIR TIMES)

if(NOT CONFIG)
  get_filename_component(scenario_folder "${SCENARIO}" DIRECTORY)
  set(CONFIG "${scenario_folder}/config")
endif()
fresh_folder("${WORK_DIR}")

# The TIME line of a saved scenario.
function(saved_time variable path)
  file(STRINGS "${path}" line LIMIT_COUNT 1 REGEX "^TIME ")
  set(${variable} "${line}" PARENT_SCOPE)
endfunction()

run_host(full "${WORK_DIR}" "${SCENARIO}" --config "${CONFIG}" --output full.scn)
expect_clean_run(full "the uninterrupted run")
deletion_lines(full_deletions "${full_STDOUT}")
saved_time(end_time "${WORK_DIR}/full.scn")
if(SAVE_EVENT_FILE)
  if(NOT EXISTS "${WORK_DIR}/${SAVE_EVENT_FILE}")
    message(FATAL_ERROR "the uninterrupted run did not save ${SAVE_EVENT_FILE}")
  endif()
  # Later runs that pass the event write the file again; keep the uninterrupted run's copy.
  file(RENAME "${WORK_DIR}/${SAVE_EVENT_FILE}" "${WORK_DIR}/from_save_event.scn")
endif()

# Continues the run from `saved` (whose run logged `first_log`) and compares the outcome with the
# uninterrupted run.
function(check_continuation label saved first_log)
  saved_time(time "${WORK_DIR}/${saved}")
  if(time STREQUAL end_time)
    message(FATAL_ERROR "${label}: ${saved} was saved at the end of the run (${time}), "
                        "so nothing is continued")
  endif()
  run_host(rest "${WORK_DIR}" "${saved}" --config "${CONFIG}" --output "continued_${label}.scn")
  expect_clean_run(rest "${label}: the continued run")

  deletion_lines(first_deletions "${first_log}")
  deletion_lines(rest_deletions "${rest_STDOUT}")
  expect_same_text("${label}: the deletions before and after the save"
                   "${full_deletions}" "${first_deletions}${rest_deletions}")
  expect_same_file("${label}: the final scenario" "${WORK_DIR}/full.scn"
                   "${WORK_DIR}/continued_${label}.scn")
endfunction()

string(REPLACE "," ";" TIMES "${TIMES}")
foreach(time IN LISTS TIMES)
  run_host(first "${WORK_DIR}" "${SCENARIO}" --config "${CONFIG}" --until "${time}"
           --output "until_${time}.scn")
  expect_clean_run(first "the run until ${time}")
  check_continuation("until_${time}" "until_${time}.scn" "${first_STDOUT}")
endforeach()

# A finished run continues as a finished run: its saved scenario loads back, nothing more happens,
# and it is saved again unchanged. This holds also for a run stopped after its END.
function(check_finished label saved)
  run_host(again "${WORK_DIR}" "${saved}" --config "${CONFIG}" --output "again_${label}.scn")
  expect_clean_run(again "${label}: the run continued from ${saved}")
  deletion_lines(deletions "${again_STDOUT}")
  expect_same_text("${label}: the deletions after the end" "" "${deletions}")
  expect_same_file("${label}: the scenario saved again" "${WORK_DIR}/${saved}"
                   "${WORK_DIR}/again_${label}.scn")
endfunction()

check_finished(at_end full.scn)
if(BEYOND_END)
  run_host(beyond "${WORK_DIR}" "${SCENARIO}" --config "${CONFIG}" --until "${BEYOND_END}"
           --output beyond_end.scn)
  expect_clean_run(beyond "the run until ${BEYOND_END}, after its END")
  check_finished(beyond_end beyond_end.scn)
endif()

if(SAVE_EVENT_FILE)
  require_variables(SAVE_EVENT_TIME)
  run_host(first "${WORK_DIR}" "${SCENARIO}" --config "${CONFIG}" --until "${SAVE_EVENT_TIME}"
           --output until_save_event.scn)
  expect_clean_run(first "the run until ${SAVE_EVENT_TIME}")
  expect_same_file("the scenario saved by the event at ${SAVE_EVENT_TIME}"
                   "${WORK_DIR}/until_save_event.scn" "${WORK_DIR}/from_save_event.scn")
  check_continuation("save_event" "from_save_event.scn" "${first_STDOUT}")
endif()
