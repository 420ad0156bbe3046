# 64-bit Windows (PE32+, x86-64) with Debian's MinGW-w64 cross compiler, g++-mingw-w64-x86-64.
set(BREVLET_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
