# The labels of the tests, for `ctest -L` and the test presets:
#   quick       the unit tests and the host's end-to-end runs under the "C" locale: a minute or
#               less after a build (ctest --preset quick)
#   unit        GoogleTest suites of the module's and the host's parts
#   text        tests that read or write text; they run once more under a decimal-comma locale,
#               and those runs are labelled comma_locale too
#   end_to_end  runs of the real host and module against reviewed output
#   hardening   the host under faults, bad input, signals and churn, in processes of its own
#   release     checks of the built products: their symbol and import tables, their version
#   tools       the check scripts' own machinery
#   cross       every test of a cross build (Windows under wine, 32-bit Linux), and the x87 runs
# A test that is given none gets one by the first word of its name (brevlet_label_unlabelled_tests),
# so that a new test is never left out of a preset.

# Sets `out` to `labels`, with cross added in a cross build.
function(brevlet_labels out)
  set(labels ${ARGN})
  if(CMAKE_CROSSCOMPILING)
    list(APPEND labels cross)
  endif()
  set(${out} "${labels}" PARENT_SCOPE)
endfunction()

# Gives each test of the calling folder that has no label one by the first word of its name.
function(brevlet_label_unlabelled_tests)
  get_property(tests DIRECTORY PROPERTY TESTS)
  foreach(test IN LISTS tests)
    get_test_property(${test} LABELS labels)
    if(labels)
      continue()
    endif()
    string(REGEX REPLACE "\\..*" "" word "${test}")
    if(word STREQUAL "e2e")
      set(labels end_to_end quick)
    elseif(word STREQUAL "structure")
      set(labels quick)
    elseif(word STREQUAL "hardening")
      set(labels hardening)
    else()
      set(labels ${word})
    endif()
    brevlet_labels(labels ${labels})
    set_tests_properties(${test} PROPERTIES LABELS "${labels}")
  endforeach()
endfunction()
