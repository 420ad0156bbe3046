# The kit's example module builds as a module author builds it: the project is installed as the
# release archive unpacks, and the example's own CMake project finds the kit there with
# find_package(StandinHost), through CMAKE_PREFIX_PATH. It runs in the installed host: the Mayfly
# that the camera targets counts its steps down on the debug line, and both are deleted after the
# class's 3 steps.
#
#   cmake -DBUILD_DIR=<the project's build folder> -DWORK_DIR=<folder>
#         -DGENERATOR=<generator> -DCXX=<compiler> -P CheckExampleModule.cmake
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/HostProcess.cmake")
require_variables(BUILD_DIR WORK_DIR GENERATOR CXX)
fresh_folder("${WORK_DIR}")

set(kit "${WORK_DIR}/kit")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${kit}"
                COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
execute_process(COMMAND "${CMAKE_COMMAND}" -S "${kit}/examples/module" -B "${WORK_DIR}/mayfly"
                        -G "${GENERATOR}" "-DCMAKE_CXX_COMPILER=${CXX}" "-DCMAKE_PREFIX_PATH=${kit}"
                COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${WORK_DIR}/mayfly"
                COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
set(HOST "${kit}/standin-host")
run_host(run "${WORK_DIR}" --modules mayfly "${kit}/examples/module/mayfly.scn")
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
