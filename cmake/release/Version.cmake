# The project's version reaches the code and the Windows files from project(... VERSION ...) only.

set(BREVLET_AUTHORS "the Brevlet developers")
set(BREVLET_COPYRIGHT "Copyright (c) 2026 ${BREVLET_AUTHORS}; MIT license")

# BrevletVersion.h, for targets that link brevlet_version.
configure_file(${CMAKE_CURRENT_LIST_DIR}/BrevletVersion.h.in
               ${PROJECT_BINARY_DIR}/generated/BrevletVersion.h @ONLY)
add_library(brevlet_version INTERFACE)
target_include_directories(brevlet_version INTERFACE ${PROJECT_BINARY_DIR}/generated)

# Gives a Windows executable or DLL a version resource that names it and the project's version.
# `type` is VFT_APP or VFT_DLL. Elsewhere it does nothing.
function(brevlet_version_resource target type description)
  if(NOT WIN32)
    return()
  endif()
  set(BREVLET_RC_TYPE ${type})
  set(BREVLET_RC_DESCRIPTION "${description}")
  get_target_property(BREVLET_RC_NAME ${target} OUTPUT_NAME)
  if(NOT BREVLET_RC_NAME)
    set(BREVLET_RC_NAME ${target})
  endif()
  if(type STREQUAL "VFT_DLL")
    set(BREVLET_RC_FILE ${BREVLET_RC_NAME}.dll)
  else()
    set(BREVLET_RC_FILE ${BREVLET_RC_NAME}.exe)
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.version.rc)
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/VersionInfo.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
