# Windows build: MinGW-w64 cross compiler (posix thread model) with the C and C++ runtime
# linked in, so the programs need only Windows' own DLLs; Ghostscript's DLL is loaded at run time.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(FOLIMAR_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${FOLIMAR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FOLIMAR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${FOLIMAR_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${FOLIMAR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static also takes libwinpthread's static archive instead of its DLL.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# CTest runs the Windows test programs under Wine.
find_program(FOLIMAR_WINE NAMES wine wine64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${FOLIMAR_WINE})
