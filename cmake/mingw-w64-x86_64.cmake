# Cross build for 64-bit Windows with Debian's mingw-w64 (GCC, posix thread model, so that
# std::thread and std::mutex work). Everything is linked statically: the programs need no
# DLL beside them, under Wine or on a Windows machine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TACTILO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TACTILO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TACTILO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TACTILO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TACTILO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine on the build machine.
find_program(TACTILO_WINE64 NAMES wine64 PATHS /usr/lib/wine)
if(TACTILO_WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TACTILO_WINE64})
endif()
