# Runs one scenario through the stand-in host and the vessel module it loads, and compares the run
# log and the saved scenario with reviewed expected files, <name>.log and <name>.saved.scn.
#
#   cmake -DHOST=<standin-host> -DSCENARIO=<file.scn> -DEXPECTED_DIR=<folder> -DWORK_DIR=<folder>
#         [-DCONFIG=<folder>] [-DDELETE_AT_ONCE=ON] [-DHOST_OPTIONS=<a|b|...>]
#         [-DHOST_LAUNCHER=<program|arguments...>] -P RunExample.cmake
#
# With DELETE_AT_ONCE the host destroys a vessel inside its deletion request. The module must
# behave the same, so the deletions and the saved scenario are compared as they are; the run log
# may only differ in the order of the lines of one step, since a vessel now goes before the step's
# debug line is logged.
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/HostProcess.cmake")
require_variables(HOST SCENARIO EXPECTED_DIR WORK_DIR)

get_filename_component(name "${SCENARIO}" NAME_WLE)
fresh_folder("${WORK_DIR}")

set(arguments "${SCENARIO}" --output "${name}.saved.scn")
if(CONFIG)
  list(APPEND arguments --config "${CONFIG}")
endif()
if(DELETE_AT_ONCE)
  list(APPEND arguments --delete-at-once)
endif()
string(REPLACE "|" ";" host_options "${HOST_OPTIONS}")
list(APPEND arguments ${host_options})
run_host(run "${WORK_DIR}" ${arguments})
file(WRITE "${WORK_DIR}/${name}.log" "${run_STDOUT}")
expect_clean_run(run "${name}")

read_text(expected_log "${EXPECTED_DIR}/${name}.log")
if(DELETE_AT_ONCE)
  deletion_lines(expected_deletions "${expected_log}")
  deletion_lines(deletions "${run_STDOUT}")
  expect_same_text("the deletions of ${name}" "${expected_deletions}" "${deletions}")

  # Every line has its time stamp, so equal sorted lines mean the same events in the same steps.
  text_to_lines(expected_lines "${expected_log}")
  text_to_lines(lines "${run_STDOUT}")
  list(SORT expected_lines)
  list(SORT lines)
  list(JOIN expected_lines "\n" expected_sorted)
  list(JOIN lines "\n" sorted)
  expect_same_text("the run log lines of ${name}, sorted," "${expected_sorted}\n" "${sorted}\n")
else()
  expect_same_text("the run log of ${name}" "${expected_log}" "${run_STDOUT}")
endif()

# Byte for byte: every build writes the saved scenario with the same line ends.
expect_same_file("the saved scenario of ${name}" "${EXPECTED_DIR}/${name}.saved.scn"
                 "${WORK_DIR}/${name}.saved.scn")
