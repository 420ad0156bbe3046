# Every #include in standin_host/ runs down the folder order of standin_host/README.md's table:
# a file may include its own folder and those below it, never one above. The observers in outputs/
# read the run through simulation/'s view alone, which reaches no module; and no file includes the
# module's own (vessel/).
#
#   cmake -DHOST_SOURCES=<folder holding README.md and the host's folders> -P CheckIncludeOrder.cmake
cmake_minimum_required(VERSION 3.25)
if(NOT HOST_SOURCES)
  message(FATAL_ERROR "HOST_SOURCES is not set")
endif()

# The order: the folders of the table's rows, top to bottom.
file(STRINGS "${HOST_SOURCES}/README.md" rows REGEX "^\\| `[a-z]+/` \\|")
set(order)
foreach(row IN LISTS rows)
  string(REGEX REPLACE "^\\| `([a-z]+)/`.*" "\\1" folder "${row}")
  list(APPEND order "${folder}")
endforeach()
list(JOIN order " > " shown)
message(STATUS "folder order: ${shown}")

file(GLOB folders LIST_DIRECTORIES true RELATIVE "${HOST_SOURCES}" "${HOST_SOURCES}/*")
set(faults)
foreach(folder IN LISTS folders)
  if(IS_DIRECTORY "${HOST_SOURCES}/${folder}" AND NOT folder IN_LIST order)
    list(APPEND faults "${folder}/ is not in the README's table")
  endif()
endforeach()

file(GLOB_RECURSE sources RELATIVE "${HOST_SOURCES}" "${HOST_SOURCES}/*.h" "${HOST_SOURCES}/*.cpp")
foreach(source IN LISTS sources)
  string(REGEX REPLACE "/.*" "" from "${source}")
  list(FIND order "${from}" fromRank)
  # The host knows modules only through the host interface: nothing of the module's own.
  file(STRINGS "${HOST_SOURCES}/${source}" module REGEX "^#include \"vessel/")
  if(module)
    list(APPEND faults "${source} includes the module's ${module}")
  endif()
  file(STRINGS "${HOST_SOURCES}/${source}" includes REGEX "^#include \"standin_host/")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^#include \"standin_host/([^\"]*)\".*" "\\1" included "${line}")
    string(REGEX REPLACE "/.*" "" to "${included}")
    list(FIND order "${to}" toRank)
    if(toRank LESS 0)
      list(APPEND faults "${source} includes ${included}, in no folder of the table")
    elseif(fromRank GREATER toRank)
      list(APPEND faults "${source} includes ${included}: ${to}/ stands above ${from}/")
    elseif(from STREQUAL "outputs" AND to STREQUAL "simulation" AND
           NOT included MATCHES "^simulation/(RunView|RunObserver|CameraDistance)\\.h$")
      list(APPEND faults "${source} includes ${included}: outputs/ sees the run through its view")
    endif()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "includes against the folder order:\n  ${text}")
endif()
list(LENGTH sources count)
message(STATUS "${count} files: every include runs down the order")
