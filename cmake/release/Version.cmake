# The project's version reaches the code and the Windows files from project(... VERSION ...) only.

set(BREVLET_AUTHORS "the Brevlet developers")
set(BREVLET_COPYRIGHT "Copyright (c) 2026 ${BREVLET_AUTHORS}; MIT license")

# A build is a release when CHANGELOG.md has moved every entry from [Unreleased] to the section of
# the project's version; any other build says in --version that it is not one.
file(READ ${PROJECT_SOURCE_DIR}/CHANGELOG.md brevlet_changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md)
string(FIND "${brevlet_changelog}" "## [Unreleased]" brevlet_unreleased_at)
string(FIND "${brevlet_changelog}" "## [${PROJECT_VERSION}]" brevlet_version_at)
set(brevlet_unreleased "")
if(brevlet_unreleased_at GREATER -1 AND brevlet_version_at GREATER brevlet_unreleased_at)
  math(EXPR brevlet_unreleased_length "${brevlet_version_at} - ${brevlet_unreleased_at}")
  string(SUBSTRING "${brevlet_changelog}" ${brevlet_unreleased_at} ${brevlet_unreleased_length}
                   brevlet_unreleased)
endif()
if(brevlet_unreleased MATCHES "\n- " OR brevlet_version_at EQUAL -1)
  set(BREVLET_RELEASE_NOTE "not a release: built with changes since ${PROJECT_VERSION}, which CHANGELOG.md lists under Unreleased")
else()
  set(BREVLET_RELEASE_NOTE "")
endif()

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
