# {fmt} in its header-only form (Debian: libfmt-dev), with which the host writes numbers: its
# shortest round-trip digits (Dragonbox) and its fixed notation compute with integers, compiled
# into the host with the host's own flags, like the number reader (cmake/FastFloat.cmake). The
# standard library's to_chars is precompiled code whose handling of doubles we do not control.
#
# Defines the interface target brevlet_fmt. As for fast_float, a cross build copies the headers'
# own folder into the build tree rather than put the build machine's /usr/include in its path.
find_path(BREVLET_FMT_INCLUDE_DIR fmt/format.h)
if(NOT BREVLET_FMT_INCLUDE_DIR AND CMAKE_CROSSCOMPILING)
  find_path(BREVLET_FMT_INCLUDE_DIR fmt/format.h NO_CMAKE_FIND_ROOT_PATH)
endif()
if(NOT BREVLET_FMT_INCLUDE_DIR)
  message(FATAL_ERROR "fmt/format.h not found: apt-get install libfmt-dev")
endif()

set(brevlet_fmt_include "${BREVLET_FMT_INCLUDE_DIR}")
if(CMAKE_CROSSCOMPILING)
  set(brevlet_fmt_include "${PROJECT_BINARY_DIR}/fmt-include")
  file(COPY "${BREVLET_FMT_INCLUDE_DIR}/fmt" DESTINATION "${brevlet_fmt_include}")
endif()

add_library(brevlet_fmt INTERFACE)
target_include_directories(brevlet_fmt SYSTEM INTERFACE "${brevlet_fmt_include}")
# No prebuilt libfmt: everything is compiled from the headers into the program that uses it.
target_compile_definitions(brevlet_fmt INTERFACE FMT_HEADER_ONLY)
