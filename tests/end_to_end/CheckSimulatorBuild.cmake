# The project that builds the module for the simulator (simulator/ of a win32 folder) works: built
# as its page says, with the folder's toolchain file, against the folder's own host/ and the
# host's import library, it gives a 32-bit Windows DLL (PE32, i386) that exports ovcInit and
# ovcExit under those plain names and nothing else, and imports from no DLL of the compiler's
# runtime. Prints the export table.
#
#   cmake -DFOLDER=<unpacked win32 folder> -DWORK_DIR=<folder> -DOBJDUMP=<i686-w64-mingw32-objdump>
#         [-DGENERATOR=<generator>] -P CheckSimulatorBuild.cmake
# With -DBUILD_DIR=<the project's mingw32 build folder>, FOLDER is made by installing it first.
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/HostProcess.cmake")
require_variables(WORK_DIR OBJDUMP)
fresh_folder("${WORK_DIR}")
if(DEFINED BUILD_DIR)
  set(FOLDER "${WORK_DIR}/kit")
  execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${FOLDER}"
                  COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
endif()
require_variables(FOLDER)
set(generator)
if(DEFINED GENERATOR)
  set(generator -G "${GENERATOR}")
endif()

set(build "${WORK_DIR}/brevlet-dll")
execute_process(COMMAND "${CMAKE_COMMAND}" -S "${FOLDER}/simulator" -B "${build}" ${generator}
                        --toolchain "${FOLDER}/cmake/mingw-w64.toolchain.cmake"
                        "-DBREVLET_INTERFACE=${FOLDER}/host"
                        "-DBREVLET_HOST_LIBRARY=${FOLDER}/lib/libstandin-host.dll.a"
                        -DCMAKE_BUILD_TYPE=Release
                OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE result)
if(result EQUAL 0)
  execute_process(COMMAND "${CMAKE_COMMAND}" --build "${build}"
                  OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE result)
endif()
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the simulator build project does not build:\n${out}")
endif()

execute_process(COMMAND "${OBJDUMP}" -p "${build}/Brevlet.dll" OUTPUT_VARIABLE dump
                COMMAND_ERROR_IS_FATAL ANY)
if(NOT dump MATCHES "file format pei-i386" OR NOT dump MATCHES "\nMagic[\t ]+010b")
  message(FATAL_ERROR "Brevlet.dll is no 32-bit (PE32, i386) Windows DLL")
endif()
# The export table's names, the lines "[   0] ovcExit" after "[Ordinal/Name Pointer] Table".
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n([\t ]+\\[[ 0-9]+\\] [^\n]+\n)*"
       names "${dump}")
string(REGEX MATCHALL "\n[\t ]+\\[[ 0-9]+\\] [^\n]+" lines "${names}")
set(exports)
foreach(line IN LISTS lines)
  string(REGEX REPLACE ".*\\] " "" name "${line}")
  list(APPEND exports "${name}")
endforeach()
if(NOT exports STREQUAL "ovcExit;ovcInit")
  message(FATAL_ERROR "Brevlet.dll exports '${exports}', not exactly ovcExit and ovcInit")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${dump}")
set(imports)
foreach(line IN LISTS lines)
  string(REPLACE "DLL Name: " "" name "${line}")
  list(APPEND imports "${name}")
endforeach()
foreach(import IN LISTS imports)
  if(import MATCHES "^(libstdc\\+\\+|libgcc|libwinpthread)")
    message(FATAL_ERROR "Brevlet.dll needs ${import}: its runtime is not linked in")
  endif()
endforeach()
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table.*" shown "${names}")
message(STATUS "the simulator build project builds a PE32 i386 DLL that imports from "
               "${imports} and exports:\n${shown}")
