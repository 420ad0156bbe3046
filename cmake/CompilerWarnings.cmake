# Our own code builds warning-free; warnings are errors so that none creeps in.
function(brevlet_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX)
  else()
    # C++ only: the Windows resource compiler takes none of these.
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wpedantic -Werror>)
  endif()
endfunction()
