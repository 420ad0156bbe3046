# What a user downloads: one folder that runs as it is unpacked, with the host, the module beside
# it where the host looks for modules, the examples with their class configuration, the kit for
# one's own module (host/ and examples/module/), the module's sources (vessel/), the docs, the
# README, the license and the change log.
#
#   cmake --install <build>                    installs that folder's contents into the prefix
#   cmake --build <build> --target package     makes the archive Brevlet-<version>-<platform>
#
# CPack stages the install into a fresh folder; cmake/release/MakeArchive.cmake packs it so that
# the same commit always gives the same bytes.

if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(BREVLET_PLATFORM win64)
  else()
    set(BREVLET_PLATFORM win32)
  endif()
  set(BREVLET_ARCHIVE_FORMAT zip)
else()
  string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" BREVLET_PLATFORM)
  set(BREVLET_ARCHIVE_FORMAT tar.gz)
endif()
set(BREVLET_PACKAGE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-${BREVLET_PLATFORM})

# The folder is self-contained, not a tree for /usr/local: by default it goes into the build folder.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX ${PROJECT_BINARY_DIR}/install/${BREVLET_PACKAGE_NAME}
      CACHE PATH "Where cmake --install puts the program folder" FORCE)
endif()

# The host's import library (Windows) is for building one's own modules, with the kit below.
install(TARGETS standin-host Brevlet
        RUNTIME DESTINATION . LIBRARY DESTINATION . ARCHIVE DESTINATION lib)

# The users' pages; the maintainers' reports in docs/maintainers/ are not shipped.
file(GLOB BREVLET_DOCS CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/docs/*.md)
file(GLOB BREVLET_EXAMPLES CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}
     ${PROJECT_SOURCE_DIR}/examples/*.scn)
file(GLOB BREVLET_EXAMPLE_CONFIGS CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}
     ${PROJECT_SOURCE_DIR}/examples/config/*.cfg)
set(BREVLET_TOP_TEXTS README.md LICENSE CHANGELOG.md)
install(FILES LICENSE CHANGELOG.md DESTINATION .)
# The repository's README tells how to build and test from the sources, with tools/ and build/,
# which the folder does not hold; the folder's own README tells how to run what it holds.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/ArchiveReadme.md DESTINATION . RENAME README.md)
list(TRANSFORM BREVLET_DOCS PREPEND ${PROJECT_SOURCE_DIR}/ OUTPUT_VARIABLE docs)
install(FILES ${docs} DESTINATION docs)
# The pictures that the README and the docs show; binary, so never given CRLF line ends.
file(GLOB BREVLET_DOC_PICTURES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.png)
install(FILES ${BREVLET_DOC_PICTURES} DESTINATION docs)
list(TRANSFORM BREVLET_EXAMPLES PREPEND ${PROJECT_SOURCE_DIR}/ OUTPUT_VARIABLE examples)
install(FILES ${examples} DESTINATION examples)
list(TRANSFORM BREVLET_EXAMPLE_CONFIGS PREPEND ${PROJECT_SOURCE_DIR}/ OUTPUT_VARIABLE configs)
install(FILES ${configs} DESTINATION examples/config)

# The kit for one's own module: the host interface that a module is built against, and a minimal
# module with a CMake project that builds it against this folder.
file(GLOB BREVLET_HOST_HEADERS CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}
     ${PROJECT_SOURCE_DIR}/host/*.h)
set(BREVLET_KIT_FILES examples/module/CMakeLists.txt examples/module/Mayfly.cpp
    examples/module/mayfly.scn examples/module/config/Mayfly.cfg)
list(TRANSFORM BREVLET_HOST_HEADERS PREPEND ${PROJECT_SOURCE_DIR}/ OUTPUT_VARIABLE headers)
install(FILES ${headers} DESTINATION host)
# The module's sources, for a build against the simulator's own interface (docs/simulator.md).
file(GLOB BREVLET_MODULE_SOURCES CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}
     ${PROJECT_SOURCE_DIR}/vessel/*.cpp ${PROJECT_SOURCE_DIR}/vessel/*.h
     ${PROJECT_SOURCE_DIR}/vessel/*.map)
list(TRANSFORM BREVLET_MODULE_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/ OUTPUT_VARIABLE sources)
install(FILES ${sources} DESTINATION vessel)
install(FILES examples/module/CMakeLists.txt examples/module/Mayfly.cpp examples/module/mayfly.scn
        DESTINATION examples/module)
install(FILES examples/module/config/Mayfly.cfg DESTINATION examples/module/config)

# On Windows the text files get the CRLF line ends that its editors expect; the host and the
# module read either.
if(WIN32)
  set(texts ${BREVLET_TOP_TEXTS} ${BREVLET_DOCS} ${BREVLET_EXAMPLES} ${BREVLET_EXAMPLE_CONFIGS}
            ${BREVLET_HOST_HEADERS} ${BREVLET_KIT_FILES} ${BREVLET_MODULE_SOURCES})
  install(CODE "set(BREVLET_TEXT_FILES \"${texts}\")
                include(\"${CMAKE_CURRENT_LIST_DIR}/CrlfText.cmake\")")
endif()

set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "${BREVLET_AUTHORS}")
set(CPACK_PACKAGE_FILE_NAME ${BREVLET_PACKAGE_NAME})
set(CPACK_GENERATOR External)
set(CPACK_EXTERNAL_ENABLE_STAGING ON)
set(CPACK_EXTERNAL_PACKAGE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/MakeArchive.cmake)
set(CPACK_BREVLET_ARCHIVE_FORMAT ${BREVLET_ARCHIVE_FORMAT})
set(CPACK_BREVLET_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
