# CLI11, the header-only command-line parser (Debian: libcli11-dev), for the stand-in host's
# options. Defines the interface target brevlet_cli11. As with fast_float, a cross build's sysroot
# lacks the headers, so they are looked for on the build machine as well and only their own folder
# is copied into the build tree: the build machine's /usr/include must never come into a cross
# compiler's search path.
find_path(BREVLET_CLI11_INCLUDE_DIR CLI/CLI.hpp)
if(NOT BREVLET_CLI11_INCLUDE_DIR AND CMAKE_CROSSCOMPILING)
  find_path(BREVLET_CLI11_INCLUDE_DIR CLI/CLI.hpp NO_CMAKE_FIND_ROOT_PATH)
endif()
if(NOT BREVLET_CLI11_INCLUDE_DIR)
  message(FATAL_ERROR "CLI/CLI.hpp not found: apt-get install libcli11-dev")
endif()

set(brevlet_cli11_include "${BREVLET_CLI11_INCLUDE_DIR}")
if(CMAKE_CROSSCOMPILING)
  set(brevlet_cli11_include "${PROJECT_BINARY_DIR}/cli11-include")
  file(COPY "${BREVLET_CLI11_INCLUDE_DIR}/CLI" DESTINATION "${brevlet_cli11_include}")
endif()

add_library(brevlet_cli11 INTERFACE)
# A system include folder: the library's own warnings are not ours to fix.
target_include_directories(brevlet_cli11 SYSTEM INTERFACE "${brevlet_cli11_include}")
