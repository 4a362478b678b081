# Winelib build: Win32 sources compiled for Linux, run under Wine, linking Debian's libgs.
# winegcc -o NAME writes NAME.exe (a launcher script) and NAME.exe.so (the program).
set(CMAKE_C_COMPILER winegcc)
set(CMAKE_CXX_COMPILER wineg++)
set(FOLIMAR_WINELIB ON CACHE BOOL "Winelib build" FORCE)
