# fast_float, the header-only decimal-to-binary conversion (Debian: libfast-float-dev). The module
# and the host compile it with their own flags, so their number reading does not depend on how a
# prebuilt standard library was compiled, nor on the x87 unit's settings.
#
# Defines the interface target brevlet_fast_float. A cross build's sysroot lacks the header, so it
# is looked for on the build machine as well, and only its own folder is copied into the build
# tree: the build machine's /usr/include must never come into a cross compiler's search path.
find_path(BREVLET_FAST_FLOAT_INCLUDE_DIR fast_float/fast_float.h)
if(NOT BREVLET_FAST_FLOAT_INCLUDE_DIR AND CMAKE_CROSSCOMPILING)
  find_path(BREVLET_FAST_FLOAT_INCLUDE_DIR fast_float/fast_float.h NO_CMAKE_FIND_ROOT_PATH)
endif()
if(NOT BREVLET_FAST_FLOAT_INCLUDE_DIR)
  message(FATAL_ERROR "fast_float/fast_float.h not found: apt-get install libfast-float-dev")
endif()

set(brevlet_fast_float_include "${BREVLET_FAST_FLOAT_INCLUDE_DIR}")
if(CMAKE_CROSSCOMPILING)
  set(brevlet_fast_float_include "${PROJECT_BINARY_DIR}/fast_float-include")
  file(COPY "${BREVLET_FAST_FLOAT_INCLUDE_DIR}/fast_float"
       DESTINATION "${brevlet_fast_float_include}")
endif()

add_library(brevlet_fast_float INTERFACE)
# A system include folder: the library's own warnings are not ours to fix.
target_include_directories(brevlet_fast_float SYSTEM INTERFACE "${brevlet_fast_float_include}")
