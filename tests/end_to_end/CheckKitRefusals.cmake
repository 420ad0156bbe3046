# The kit's package refuses, in words that name the archive to use, a build for a system or word
# size that its host cannot load, as it is found: for each kit (Linux, win64, win32) and each
# target it does not serve, the package configuration made from the template is read with that
# target's variables set, and its message is compared.
#
#   cmake -DTEMPLATE=<cmake/kit/StandinHostConfig.cmake.in> -DWORK_DIR=<folder>
#         -P CheckKitRefusals.cmake
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/HostProcess.cmake")
require_variables(TEMPLATE WORK_DIR)
fresh_folder("${WORK_DIR}")
set(PROJECT_NAME Brevlet)
set(PROJECT_VERSION 9.8.7)

# kit | its bits | target system | target bits | MinGW | the message's expected part ('' = found)
set(cases
  "linux-x86_64|64|Linux|8|0|"
  "linux-x86_64|64|Windows|8|1|targets Windows, and Brevlet-9.8.7-linux-x86_64 is the kit for Linux modules: build a module for 64-bit Windows against Brevlet-9.8.7-win64, for 32-bit Windows against Brevlet-9.8.7-win32"
  "linux-x86_64|64|Linux|4|0|targets 32-bit code, and Brevlet-9.8.7-linux-x86_64's host loads only 64-bit modules"
  "win64|64|Windows|8|1|"
  "win64|64|Linux|8|0|targets Linux, and Brevlet-9.8.7-win64 is the kit for 64-bit Windows modules: build a module for Linux against the Linux archive, Brevlet-9.8.7-linux-x86_64, or target Windows with this kit's toolchain file"
  "win64|64|Windows|4|1|targets 32-bit code, and Brevlet-9.8.7-win64's host loads only 64-bit modules: build against Brevlet-9.8.7-win32."
  "win32|32|Windows|8|1|loads only 32-bit modules: build against Brevlet-9.8.7-win64."
  "win32|32|Windows|4|0|built with MinGW-w64's GCC, whose names for C++ functions MSVC does not use"
  "win32|32|Windows|4|1|")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 BREVLET_PLATFORM)
  list(GET case 1 BREVLET_KIT_BITS)
  list(GET case 2 CMAKE_SYSTEM_NAME)
  list(GET case 3 CMAKE_SIZEOF_VOID_P)
  list(GET case 4 MINGW)
  list(LENGTH case fields)
  set(expected "")
  if(fields GREATER 5)
    list(GET case 5 expected)
  endif()
  set(BREVLET_PACKAGE_NAME "${PROJECT_NAME}-${PROJECT_VERSION}-${BREVLET_PLATFORM}")
  set(WIN32 0)
  set(CMAKE_CXX_COMPILER_ID GNU)
  if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    set(WIN32 1)
    if(NOT MINGW)
      set(CMAKE_CXX_COMPILER_ID MSVC)
    endif()
  endif()
  set(config "${WORK_DIR}/${BREVLET_PLATFORM}/cmake/StandinHostConfig.cmake")
  configure_file("${TEMPLATE}" "${config}" @ONLY)
  unset(StandinHost_FOUND)
  unset(StandinHost_NOT_FOUND_MESSAGE)
  # The target the package makes is not wanted here, and a script cannot make one.
  function(add_library)
  endfunction()
  function(set_target_properties)
  endfunction()
  function(set_property)
  endfunction()
  include("${config}")
  set(target "${BREVLET_PLATFORM} kit, ${CMAKE_SIZEOF_VOID_P}-byte pointers on ${CMAKE_SYSTEM_NAME}")
  if(expected STREQUAL "")
    if(NOT StandinHost_FOUND)
      message(FATAL_ERROR "${target}: refused: ${StandinHost_NOT_FOUND_MESSAGE}")
    endif()
  else()
    string(FIND "${StandinHost_NOT_FOUND_MESSAGE}" "${expected}" at)
    if(StandinHost_FOUND OR at EQUAL -1)
      message(FATAL_ERROR "${target}: expected a refusal with\n  ${expected}\n"
                          "got: '${StandinHost_NOT_FOUND_MESSAGE}'")
    endif()
  endif()
  message(STATUS "${target}: ${StandinHost_NOT_FOUND_MESSAGE}")
endforeach()
