# BREVLET_SANITIZERS applies to every target, the vessel module included, so that the host and the
# modules it loads are checked together.
if(BREVLET_SANITIZERS)
  if(MSVC)
    add_compile_options(/fsanitize=${BREVLET_SANITIZERS})
  else()
    add_compile_options(-fsanitize=${BREVLET_SANITIZERS} -fno-omit-frame-pointer
                        -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${BREVLET_SANITIZERS})
  endif()
endif()
