# Double arithmetic on every build. On 32-bit x86, GCC and clang compute in the x87 unit by
# default, whose registers keep 64-bit (or, as the process has set it, 24-bit) significands:
# results then differ from the double results that every other build computes. SSE2 rounds every
# operation to double, as on x86-64. Visual Studio's x86 compiler uses SSE2 by default since 2012
# (/arch:SSE2); clang-cl, which counts as MSVC, does not, so MSVC-style compilers are told too.
# The builds then need a CPU with SSE2 (Pentium 4 or later), which docs/windows.md states.
include(CheckCXXSourceCompiles)

check_cxx_source_compiles("
#if !defined(__i386__) && !defined(_M_IX86)
#error not 32-bit x86
#endif
int main() { return 0; }" BREVLET_TARGET_IS_X86_32)
if(BREVLET_TARGET_IS_X86_32)
  if(MSVC)
    add_compile_options($<$<COMPILE_LANGUAGE:CXX>:/arch:SSE2>)
  else()
    add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-msse2> $<$<COMPILE_LANGUAGE:CXX>:-mfpmath=sse>)
  endif()
endif()
