# CPack's package script: packs the folder that CPack staged into Brevlet-<version>-<platform>.zip
# or .tar.gz, the same bytes for the same commit, wherever and whenever it is built:
#   - every entry dated SOURCE_DATE_EPOCH (from the environment, else the commit's time),
#   - entries in byte order of their names, directories included,
#   - owner and group 0, modes u=rwX,go=rX,
#   - no extra fields (owners, access times) and no time in the gzip header.
# CPack's own archive writers of CMake 3.25 take entries in directory order and store access
# times, hence this script. It uses GNU tar, gzip and Info-ZIP zip.

set(top "${CPACK_TOPLEVEL_DIRECTORY}")
set(name "${CPACK_PACKAGE_FILE_NAME}")
set(stage "${top}/${name}")
set(archive "${top}/${name}.${CPACK_BREVLET_ARCHIVE_FORMAT}")

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY "${top}" RESULTS_VARIABLE statuses)
  list(REMOVE_ITEM statuses 0)
  if(statuses)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "packing ${name} failed (${statuses}): ${command}")
  endif()
endfunction()

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git -C "${CPACK_BREVLET_SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "packing ${name}: no time for the archive's entries; the sources are not a "
                      "git checkout, so set SOURCE_DATE_EPOCH (seconds since 1970)")
endif()

# The entries, relative to the folder above the staged one, in byte order (list(SORT) compares
# bytes, as does the "C" locale).
file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE "${top}" "${stage}/*")
list(APPEND entries "${name}")
list(SORT entries)
list(JOIN entries "\n" listing)
file(WRITE "${top}/${name}.entries" "${listing}\n")

# zip takes modes and times from the files themselves, and writes times in local time.
run(chmod -R u=rwX,go=rX "${stage}")
run(touch -h -d "@${epoch}" ${entries})

file(REMOVE "${archive}")
if(CPACK_BREVLET_ARCHIVE_FORMAT STREQUAL "zip")
  run(${CMAKE_COMMAND} -E env TZ=UTC0 zip -q -X -9 "${archive}" -@ INPUT_FILE "${top}/${name}.entries")
elseif(CPACK_BREVLET_ARCHIVE_FORMAT STREQUAL "tar.gz")
  run(tar --format=gnu --no-recursion --owner=0 --group=0 --numeric-owner --mtime=@${epoch}
          --mode=u=rwX,go=rX -cf - -T "${name}.entries"
      COMMAND gzip -9 -n OUTPUT_FILE "${archive}")
else()
  message(FATAL_ERROR "packing ${name}: unknown archive format '${CPACK_BREVLET_ARCHIVE_FORMAT}'")
endif()
set(CPACK_EXTERNAL_BUILT_PACKAGES "${archive}")
