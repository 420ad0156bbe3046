# Our own code builds warning-free with these warnings on. Whether a warning stops the build is the
# preset's choice (CMAKE_COMPILE_WARNING_AS_ERROR in the presets that developers and CI use), so
# that a newer compiler with a new warning can still build a release from the sources.
function(brevlet_warnings target)
  # C++ only: the Windows resource compiler takes none of these.
  if(MSVC)
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:/W4>)
  else()
    # A name that hides another: clang's -Wshadow takes locals hiding locals or members; GCC's
    # would also take every constructor parameter named after the member it initialises, which
    # hides nothing, so GCC looks at locals hiding locals only.
    set(shadow -Wshadow=local)
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
      set(shadow -Wshadow)
    endif()
    target_compile_options(${target} PRIVATE
      $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wpedantic ${shadow}>)
  endif()
endfunction()
