# The same commit gives the same binaries, wherever it is built and whenever: no build folder
# paths in them and no link time stamps.
# (clang-cl, which takes cl's options, is a Clang that counts as MSVC: it gets /Brepro below.)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang" AND NOT MSVC)
  # Debug builds keep their paths, so that a debugger finds the sources. The build folder may lie
  # inside the source folder, so its map comes last, which both GCC and clang try first.
  set(mapped "$<AND:$<COMPILE_LANGUAGE:CXX>,$<NOT:$<CONFIG:Debug>>>")
  add_compile_options("$<${mapped}:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.>"
                      "$<${mapped}:-ffile-prefix-map=${PROJECT_BINARY_DIR}=build>")
endif()
if(MINGW)
  # GNU ld writes the link time into a PE image's header unless told not to.
  add_link_options(-Wl,--no-insert-timestamp)
elseif(MSVC)
  add_compile_options($<$<COMPILE_LANGUAGE:CXX>:/Brepro>)
  add_link_options(/Brepro)
endif()
