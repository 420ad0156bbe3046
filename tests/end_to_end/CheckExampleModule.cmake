# The kit's example module builds as a module author builds it, with its own CMake project against
# host/, and runs in the stand-in host: the Mayfly that the camera targets counts its steps down on
# the debug line, and both are deleted after the class's 3 steps.
#
#   cmake -DHOST=<standin-host> -DSOURCE=<examples/module> -DWORK_DIR=<folder>
#         -DGENERATOR=<generator> -DCXX=<compiler> -P CheckExampleModule.cmake
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/HostProcess.cmake")
require_variables(HOST SOURCE WORK_DIR GENERATOR CXX)
fresh_folder("${WORK_DIR}")

execute_process(COMMAND "${CMAKE_COMMAND}" -S "${SOURCE}" -B "${WORK_DIR}/mayfly" -G "${GENERATOR}"
                        "-DCMAKE_CXX_COMPILER=${CXX}"
                COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${WORK_DIR}/mayfly"
                COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
run_host(run "${WORK_DIR}" --modules mayfly "${SOURCE}/mayfly.scn")
expect_clean_run(run "the example module")
expect_same_text("the run log of the example module"
  "[t=0.000] created First (class Mayfly)
[t=0.000] created Second (class Mayfly)
[t=0.000] camera targets First
[t=1.000] debug \"Mayfly: 2 steps left\"
[t=2.000] debug \"Mayfly: 1 step left\"
[t=3.000] debug \"Mayfly: 0 steps left\"
[t=3.000] deleted First
[t=3.000] camera target First is gone; the camera targets nothing
[t=3.000] deleted Second
[t=5.000] saved scenario to mayfly.saved.scn
" "${run_STDOUT}")
