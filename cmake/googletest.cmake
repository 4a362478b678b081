# GoogleTest for the Windows build, compiled with the MinGW compiler from Debian's sources
# (package googletest); the Winelib build links Debian's Linux libraries instead.
if(NOT FOLIMAR_WINELIB)
  set(FOLIMAR_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  # On Windows gtest has locks and thread-local storage of its own over the Win32 API.
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  add_subdirectory(${FOLIMAR_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
