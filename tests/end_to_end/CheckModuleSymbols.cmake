# The vessel module's dynamic symbol table: it defines the two entry points and no other function
# of ours, and leaves the host's services undefined, to be taken from the host process at load
# time. ELF modules only; on other platforms the test is skipped.
#
#   cmake -DNM=<nm> -DMODULE=<Brevlet.so> -P CheckModuleSymbols.cmake
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/HostProcess.cmake")
require_variables(MODULE)

# Printed for ctest's SKIP_REGULAR_EXPRESSION.
set(skip_mark "end-to-end test skipped:")

file(READ "${MODULE}" magic LIMIT 4 HEX)
if(NOT magic STREQUAL "7f454c46")
  message(STATUS "${skip_mark} ${MODULE} is not an ELF file")
  return()
endif()
if(NOT NM OR NOT EXISTS "${NM}")
  message(STATUS "${skip_mark} no nm to read ${MODULE}")
  return()
endif()

# Lines "[address] type name" of `nm -D` with the given options.
function(dynamic_symbols variable)
  execute_process(COMMAND "${NM}" -D ${ARGN} "${MODULE}"
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE result)
  if(NOT result STREQUAL "0")
    message(FATAL_ERROR "${NM} failed on ${MODULE}: ${result}\n${err}")
  endif()
  set(${variable} "${out}" PARENT_SCOPE)
endfunction()

# Defined: exactly our two entry points, as functions in the text section. Besides them, only
# what the toolchain itself puts into a shared library may appear: the linker's markers, and the
# type information of function types (mangled _ZTIF/_ZTSF), which clang's function sanitizer
# emits as weak objects. A class's type information or vtable would be ours, and fails.
set(toolchain_symbols _init _fini _edata _end __bss_start)
dynamic_symbols(defined --defined-only)
string(REGEX MATCHALL "[^\n]+" defined_lines "${defined}")
set(entry_points)
set(others)
foreach(line IN LISTS defined_lines)
  if(NOT line MATCHES "^[0-9a-fA-F]* *([A-Za-z]) ([^@ ]+)")
    message(FATAL_ERROR "cannot read this line of nm's output: '${line}'")
  endif()
  set(type "${CMAKE_MATCH_1}")
  set(symbol "${CMAKE_MATCH_2}")
  if(symbol MATCHES "^ovc(Init|Exit)$" AND type STREQUAL "T")
    list(APPEND entry_points "${symbol}")
  elseif(NOT symbol IN_LIST toolchain_symbols AND NOT symbol MATCHES "^_ZT[IS]F")
    list(APPEND others "${type} ${symbol}")
  endif()
endforeach()
list(SORT entry_points)
if(NOT entry_points STREQUAL "ovcExit;ovcInit")
  message(FATAL_ERROR "${MODULE} must define the functions ovcInit and ovcExit, "
                      "found '${entry_points}':\n${defined}")
endif()
if(others)
  list(JOIN others "\n  " others)
  message(FATAL_ERROR "${MODULE} exports more than its entry points:\n  ${others}")
endif()

# Undefined: every host service that the module calls, bound to the host when it is loaded.
set(host_services
  oapiReadScenario_nextline oapiWriteScenario_float oapiCameraTarget oapiCameraGlobalPos
  oapiDebugString oapiDeleteVessel VESSEL2::VESSEL2 VESSEL::SetEnableFocus VESSEL::GetHandle
  VESSEL::GetGlobalPos VESSEL::SaveDefaultState VESSEL::ParseScenarioLineEx
  VESSEL::DefSetStateEx)
dynamic_symbols(undefined --undefined-only --demangle)
set(missing)
foreach(service IN LISTS host_services)
  if(NOT undefined MATCHES "(^|\n) *U ${service}\\(")
    list(APPEND missing "${service}")
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "${MODULE} does not leave these host services undefined: ${missing}\n"
                      "nm -D --undefined-only:\n${undefined}")
endif()

# No number conversion of the C or C++ library: the module reads and prints numbers with its own
# code, compiled with its own flags, so that every build gives the same digits and values.
string(REGEX MATCHALL "[^\n]*(to_chars|from_chars|strto[dfl]|ato[fil]|scanf|printf|[efg]cvt)[^\n]*"
       conversions "${undefined}")
if(conversions)
  list(JOIN conversions "\n" conversions)
  message(FATAL_ERROR "${MODULE} imports number conversions of the libraries:\n${conversions}")
endif()
