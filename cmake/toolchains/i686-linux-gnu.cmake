# 32-bit x86 Linux (i386 ELF) with the build machine's own GCC and Debian's g++-multilib: the
# module and the stand-in host built with the 32-bit Windows DLL's code generation (SSE2 doubles,
# cmake/FloatingPoint.cmake), so that its arithmetic runs on machines without a 32-bit Windows.
#
# The programs run natively where the kernel runs i386 programs. Where it does not, set
# BREVLET_I386_EMULATOR to a command that does, such as "qemu-i386-static;-L;/": CTest then runs
# the host through it (tools/check-windows finds out which is needed, and says so).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT -m32)
endforeach()
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

set(BREVLET_I386_EMULATOR "" CACHE STRING "Command that runs i386 programs; empty: run them directly")
if(BREVLET_I386_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${BREVLET_I386_EMULATOR}")
endif()
