# 32-bit Windows (PE32, i386) with Debian's MinGW-w64 cross compiler, g++-mingw-w64-i686.
set(BREVLET_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR X86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
