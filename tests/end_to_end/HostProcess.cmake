# Shared by the end-to-end scripts: running the stand-in host as a process and comparing what it
# printed and saved. The scripts run with `cmake -P`, so the same checks work wherever CMake does,
# also against a host built for another platform.

# Fails the script unless every named variable was given with -D<name>=...
function(require_variables)
  foreach(name IN LISTS ARGN)
    if(NOT DEFINED ${name} OR "${${name}}" STREQUAL "")
      message(FATAL_ERROR "${CMAKE_SCRIPT_MODE_FILE}: needs -D${name}=...")
    endif()
  endforeach()
endfunction()

# Empties `folder`, so that nothing from an earlier run can be mistaken for this run's output.
function(fresh_folder folder)
  file(REMOVE_RECURSE "${folder}")
  file(MAKE_DIRECTORY "${folder}")
endfunction()

# Runs ${HOST} with the given arguments in `folder`, through ${HOST_LAUNCHER} if given (a program
# and its arguments separated by '|', e.g. wine for a Windows host). Sets <prefix>_STDOUT, <prefix>_STDERR and
# <prefix>_RESULT (the exit code, or the reason the process ended abnormally) in the caller. Line
# ends are made "\n", so that a host that prints "\r\n" compares equal.
#
# Through a launcher, a run that failed without a word is made once more: the host always says why
# it fails, so such a run is the launcher's failure to start it (32-bit wine, now and then, with its
# own messages off), not the host's.
function(run_host prefix folder)
  string(REPLACE "|" ";" launcher "${HOST_LAUNCHER}")
  foreach(attempt 1 2)
    execute_process(COMMAND ${launcher} "${HOST}" ${ARGN}
      WORKING_DIRECTORY "${folder}"
      OUTPUT_VARIABLE out
      ERROR_VARIABLE err
      RESULT_VARIABLE result)
    if(NOT launcher OR result STREQUAL "0" OR NOT out STREQUAL "" OR NOT err STREQUAL "")
      break()
    endif()
    message(STATUS "${HOST_LAUNCHER} ended the host with '${result}' and no word; once more")
  endforeach()
  string(REPLACE "\r\n" "\n" out "${out}")
  string(REPLACE "\r\n" "\n" err "${err}")
  set(${prefix}_STDOUT "${out}" PARENT_SCOPE)
  set(${prefix}_STDERR "${err}" PARENT_SCOPE)
  set(${prefix}_RESULT "${result}" PARENT_SCOPE)
endfunction()

# Fails unless the run of `prefix` exited with 0 and wrote nothing to its error stream.
function(expect_clean_run prefix what)
  if(NOT "${${prefix}_RESULT}" STREQUAL "0")
    message(FATAL_ERROR "${what}: the host ended with '${${prefix}_RESULT}':\n"
                        "${${prefix}_STDERR}")
  endif()
  if(NOT "${${prefix}_STDERR}" STREQUAL "")
    message(FATAL_ERROR "${what}: the host wrote to its error stream:\n${${prefix}_STDERR}")
  endif()
endfunction()

# Reads a text file with its line ends made "\n"; fails if it is not there.
function(read_text variable path)
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "${path}: no such file")
  endif()
  file(READ "${path}" text)
  string(REPLACE "\r\n" "\n" text "${text}")
  set(${variable} "${text}" PARENT_SCOPE)
endfunction()

# Splits text into a list of its lines. '[', ']' and ';' would change how CMake splits a list, so
# they are replaced by stand-ins; the result is for comparing, not for showing.
function(text_to_lines variable text)
  string(REPLACE ";" "<semicolon>" text "${text}")
  string(REPLACE "[" "<open>" text "${text}")
  string(REPLACE "]" "<close>" text "${text}")
  string(REGEX REPLACE "\n$" "" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(${variable} "${lines}" PARENT_SCOPE)
endfunction()

# The first line at which two texts differ, as "line N: expected '...', found '...'".
function(describe_first_difference variable expected actual)
  set(number 1)
  while(TRUE)
    string(FIND "${expected}" "\n" expected_end)
    string(FIND "${actual}" "\n" actual_end)
    string(SUBSTRING "${expected}" 0 ${expected_end} expected_line)
    string(SUBSTRING "${actual}" 0 ${actual_end} actual_line)
    if(NOT expected_line STREQUAL actual_line OR expected_end EQUAL -1 OR actual_end EQUAL -1)
      break()
    endif()
    math(EXPR expected_next "${expected_end} + 1")
    math(EXPR actual_next "${actual_end} + 1")
    string(SUBSTRING "${expected}" ${expected_next} -1 expected)
    string(SUBSTRING "${actual}" ${actual_next} -1 actual)
    math(EXPR number "${number} + 1")
  endwhile()
  set(${variable} "line ${number}: expected '${expected_line}', found '${actual_line}'"
      PARENT_SCOPE)
endfunction()

# Fails, showing both texts and where they part, unless `actual` equals `expected`.
function(expect_same_text what expected actual)
  if("${expected}" STREQUAL "${actual}")
    return()
  endif()
  describe_first_difference(difference "${expected}" "${actual}")
  message(FATAL_ERROR "${what} differ at ${difference}\n"
                      "--- expected:\n${expected}--- found:\n${actual}---")
endfunction()

# Fails unless the two files hold the same bytes.
function(expect_same_file what expected_path actual_path)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${expected_path}" "${actual_path}"
                  RESULT_VARIABLE different)
  if(different)
    read_text(expected "${expected_path}")
    read_text(actual "${actual_path}")
    describe_first_difference(difference "${expected}" "${actual}")
    message(FATAL_ERROR "${what}: ${actual_path} differs from ${expected_path} at ${difference}")
  endif()
endfunction()

# The run log's deletion lines, "[t=...] deleted NAME", in their order, one per line.
function(deletion_lines variable log)
  string(REGEX MATCHALL "\\[t=[-+0-9.eE]*\\] deleted [^\n]*\n" found "${log}")
  string(REPLACE ";" "" found "${found}")
  set(${variable} "${found}" PARENT_SCOPE)
endfunction()
