# Shared part of the MinGW-w64 cross toolchains. The including file sets BREVLET_MINGW_TRIPLET
# (the compilers' prefix, e.g. x86_64-w64-mingw32) and CMAKE_SYSTEM_PROCESSOR.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${BREVLET_MINGW_TRIPLET}-gcc) # GoogleTest's project enables C too
set(CMAKE_CXX_COMPILER ${BREVLET_MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${BREVLET_MINGW_TRIPLET}-windres)

# Headers and libraries come from the target's sysroot only; build tools from the machine.
set(CMAKE_FIND_ROOT_PATH /usr/${BREVLET_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs of the build, its tests among them, run under wine through this wrapper.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../../tools/wine-run")
