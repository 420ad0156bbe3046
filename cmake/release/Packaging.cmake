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
install(FILES LICENSE DESTINATION .)
# The change log without its "For maintainers" sections, which speak of the tests, tools and
# benchmarks that the folder does not hold.
file(READ ${PROJECT_SOURCE_DIR}/CHANGELOG.md rest)
set(users_changelog "")
while(TRUE)
  string(FIND "${rest}" "\n### For maintainers\n" at)
  if(at EQUAL -1)
    string(APPEND users_changelog "${rest}")
    break()
  endif()
  math(EXPR at "${at} + 1")
  string(SUBSTRING "${rest}" 0 ${at} kept)
  string(APPEND users_changelog "${kept}")
  # The section ends where the next heading of a version or a section starts.
  string(SUBSTRING "${rest}" ${at} -1 rest)
  string(FIND "${rest}" "\n##" end)
  if(end EQUAL -1)
    set(rest "")
  else()
    math(EXPR end "${end} + 1")
    string(SUBSTRING "${rest}" ${end} -1 rest)
  endif()
endwhile()
file(WRITE ${PROJECT_BINARY_DIR}/CHANGELOG.md "${users_changelog}")
install(FILES ${PROJECT_BINARY_DIR}/CHANGELOG.md DESTINATION .)
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

# The kit as a CMake package, in cmake/: find_package(StandinHost) with CMAKE_PREFIX_PATH at the
# folder gives the target StandinHost::Interface (cmake/kit/StandinHostConfig.cmake.in). A Windows
# folder carries the toolchain file that cross-builds a module for its host on Linux.
include(CMakePackageConfigHelpers)
math(EXPR BREVLET_KIT_BITS "${CMAKE_SIZEOF_VOID_P} * 8")
set(kit ${PROJECT_BINARY_DIR}/kit)
configure_file(${PROJECT_SOURCE_DIR}/cmake/kit/StandinHostConfig.cmake.in
               ${kit}/StandinHostConfig.cmake @ONLY)
# A module asks for the release it was written against; a later release of the same major version
# serves it too. Whether the word size fits, StandinHostConfig.cmake says, in words.
write_basic_package_version_file(${kit}/StandinHostConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
set(BREVLET_KIT_FILES_CMAKE cmake/StandinHostConfig.cmake cmake/StandinHostConfigVersion.cmake)
if(WIN32)
  if(BREVLET_PLATFORM STREQUAL "win64")
    set(BREVLET_KIT_TRIPLET x86_64-w64-mingw32)
    set(BREVLET_KIT_PROCESSOR AMD64)
    set(BREVLET_KIT_MINGW_PACKAGE g++-mingw-w64-x86-64)
  else()
    set(BREVLET_KIT_TRIPLET i686-w64-mingw32)
    set(BREVLET_KIT_PROCESSOR X86)
    set(BREVLET_KIT_MINGW_PACKAGE g++-mingw-w64-i686)
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/cmake/kit/mingw-w64.toolchain.cmake.in
                 ${kit}/mingw-w64.toolchain.cmake @ONLY)
  list(APPEND BREVLET_KIT_FILES_CMAKE cmake/mingw-w64.toolchain.cmake)
endif()
list(TRANSFORM BREVLET_KIT_FILES_CMAKE REPLACE "^cmake/" "${kit}/" OUTPUT_VARIABLE kit_files)
install(FILES ${kit_files} DESTINATION cmake)

# The project that builds the module's sources for the simulator, as a 32-bit Windows DLL against
# an interface folder given on its command line (docs/simulator.md), with what it needs beside it:
# the headers of fast_float (its single header) and {fmt}, each with its licence.
configure_file(${PROJECT_SOURCE_DIR}/cmake/simulator/CMakeLists.txt.in
               ${PROJECT_BINARY_DIR}/simulator/CMakeLists.txt @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/simulator/CMakeLists.txt DESTINATION simulator)
install(FILES ${BREVLET_FAST_FLOAT_INCLUDE_DIR}/fast_float/fast_float_all.h
        DESTINATION simulator/include/fast_float RENAME fast_float.h)
file(GLOB fmt_headers RELATIVE ${BREVLET_FMT_INCLUDE_DIR} ${BREVLET_FMT_INCLUDE_DIR}/fmt/*.h)
list(TRANSFORM fmt_headers PREPEND ${BREVLET_FMT_INCLUDE_DIR}/ OUTPUT_VARIABLE fmt_files)
install(FILES ${fmt_files} DESTINATION simulator/include/fmt)
set(BREVLET_SIMULATOR_FILES simulator/CMakeLists.txt simulator/include/fast_float/fast_float.h)
foreach(library IN ITEMS fast-float fmt)
  string(REPLACE "-" "_" folder ${library})
  find_file(BREVLET_LICENSE_${folder} copyright PATHS /usr/share/doc/lib${library}-dev
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(BREVLET_LICENSE_${folder})
    install(FILES ${BREVLET_LICENSE_${folder}} DESTINATION simulator/include/${folder}
            RENAME LICENSE)
  else()
    install(CODE "message(FATAL_ERROR \"/usr/share/doc/lib${library}-dev/copyright is missing, \
the licence that the archive ships beside the library's headers: apt-get install --reinstall \
lib${library}-dev\")")
  endif()
  list(APPEND BREVLET_SIMULATOR_FILES simulator/include/${folder}/LICENSE)
endforeach()
list(TRANSFORM fmt_headers PREPEND simulator/include/)
list(APPEND BREVLET_SIMULATOR_FILES ${fmt_headers})

# On Windows the text files get the CRLF line ends that its editors expect; the host and the
# module read either.
if(WIN32)
  set(texts ${BREVLET_TOP_TEXTS} ${BREVLET_DOCS} ${BREVLET_EXAMPLES} ${BREVLET_EXAMPLE_CONFIGS}
            ${BREVLET_HOST_HEADERS} ${BREVLET_KIT_FILES} ${BREVLET_KIT_FILES_CMAKE} ${BREVLET_SIMULATOR_FILES}
            ${BREVLET_MODULE_SOURCES})
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
