# GoogleTest for the tests: the installed library on the build machine, or, for a cross build,
# built from the sources that Debian's libgtest-dev ships in /usr/src/googletest, with the cross
# compiler and the project's own flags. GTest::gtest either way (GoogleTest's own build defines
# it too).
if(NOT CMAKE_CROSSCOMPILING)
  find_package(GTest REQUIRED)
  return()
endif()

set(BREVLET_GOOGLETEST_SOURCE "/usr/src/googletest/googletest"
    CACHE PATH "GoogleTest's sources, for cross builds")
if(NOT EXISTS "${BREVLET_GOOGLETEST_SOURCE}/CMakeLists.txt")
  message(FATAL_ERROR "no GoogleTest sources in ${BREVLET_GOOGLETEST_SOURCE}: "
                      "apt-get install libgtest-dev")
endif()
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory("${BREVLET_GOOGLETEST_SOURCE}" "${PROJECT_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
# The MinGW-w64 compilers' default thread model has no std::mutex, on which GoogleTest builds its
# Notification; a stand-in takes its place.
if(MINGW)
  target_compile_definitions(gtest PUBLIC GTEST_HAS_NOTIFICATION_=1)
  target_compile_options(gtest PUBLIC
    "SHELL:-include ${CMAKE_CURRENT_LIST_DIR}/googletest/Notification.h")
endif()
# GoogleTest is not ours to keep warning-free.
set_target_properties(gtest gtest_main PROPERTIES COMPILE_WARNING_AS_ERROR OFF)
