# Our own code builds warning-free; warnings are errors so that none creeps in.
function(brevlet_warnings target)
  # C++ only: the Windows resource compiler takes none of these.
  if(MSVC)
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:/W4 /WX>)
  else()
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wpedantic -Werror>)
  endif()
endfunction()
