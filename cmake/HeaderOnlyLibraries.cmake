# The header-only libraries (Debian packages) that our programs compile with their own flags, so
# that no precompiled code decides how a number is read or written:
#   brevlet_fast_float  fast_float: decimal text to double (libfast-float-dev), for the module and
#                       the host, whatever the x87 unit's settings
#   brevlet_fmt         {fmt}: doubles to their shortest round-trip text (libfmt-dev), for the
#                       host; the standard library's to_chars is precompiled code whose handling
#                       of doubles we do not control
#   brevlet_cli11       CLI11: the stand-in host's command line (libcli11-dev)
#
# A cross build's sysroot lacks the headers, so they are looked for on the build machine as well
# and only their own folder is copied into the build tree: the build machine's /usr/include must
# never come into a cross compiler's search path.
function(brevlet_header_only_library target header package)
  string(TOUPPER "${target}_INCLUDE_DIR" found)
  find_path(${found} "${header}")
  if(NOT ${found} AND CMAKE_CROSSCOMPILING)
    find_path(${found} "${header}" NO_CMAKE_FIND_ROOT_PATH)
  endif()
  if(NOT ${found})
    message(FATAL_ERROR "${header} not found: apt-get install ${package}")
  endif()

  set(include "${${found}}")
  if(CMAKE_CROSSCOMPILING)
    string(REGEX REPLACE "/.*" "" folder "${header}")
    set(include "${PROJECT_BINARY_DIR}/${target}-include")
    file(COPY "${${found}}/${folder}" DESTINATION "${include}")
  endif()

  add_library(${target} INTERFACE)
  # A system include folder: the library's own warnings are not ours to fix.
  target_include_directories(${target} SYSTEM INTERFACE "${include}")
endfunction()

brevlet_header_only_library(brevlet_fast_float fast_float/fast_float.h libfast-float-dev)
brevlet_header_only_library(brevlet_fmt fmt/format.h libfmt-dev)
# No prebuilt libfmt: everything is compiled from the headers into the program that uses it.
target_compile_definitions(brevlet_fmt INTERFACE FMT_HEADER_ONLY)
brevlet_header_only_library(brevlet_cli11 CLI/CLI.hpp libcli11-dev)
