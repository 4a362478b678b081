# Checks of the Windows build only: the Ghostscript DLL loader against a stand-in DLL, and
# folimarc's report when no Ghostscript can be found.

# The stand-in gsdll64.dll and its test program share a folder of their own, so no other test
# program finds the stand-in beside it.
add_library(fake_gsdll SHARED fake_gsdll.cpp)
set_target_properties(fake_gsdll PROPERTIES OUTPUT_NAME gsdll64 PREFIX "")
folimar_test(gs_dll_load_test gs_dll_load_test.cpp)
add_dependencies(gs_dll_load_test fake_gsdll)
set_target_properties(fake_gsdll gs_dll_load_test PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/gsdll)

# The resources as Windows reads them from the programs' files (a Winelib program is a
# Linux library that Windows' resource calls cannot open from outside).
folimar_test(resources_test resources_test.cpp)
target_link_libraries(resources_test PRIVATE version)
target_include_directories(resources_test PRIVATE ${CMAKE_BINARY_DIR})
add_dependencies(resources_test folimar folimarc)

# Without a DLL beside it or an installed Ghostscript, folimarc exits 1 and says where it looked.
add_test(NAME folimarc_without_ghostscript
  COMMAND sh -c "\"$0\" \"$1\" \"$2\" \"$3\"; code=$?; [ $code -eq 1 ] || echo \"exit code $code, not 1\""
          ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:folimarc> Z:${CMAKE_SOURCE_DIR}/examples/sample.ps
          Z:${CMAKE_CURRENT_BINARY_DIR}/without-ghostscript.pdf)
set_tests_properties(folimarc_without_ghostscript PROPERTIES
  ENVIRONMENT "${FOLIMAR_TEST_ENV}"
  FIXTURES_REQUIRED wineprefix
  PASS_REGULAR_EXPRESSION "folimarc: Ghostscript was not found; looked in: [A-Z]:.*\\\\gsdll64\\.dll; the registry \\(HKEY_LOCAL_MACHINE\\\\SOFTWARE\\\\GPL Ghostscript, HKEY_LOCAL_MACHINE\\\\SOFTWARE\\\\Artifex Ghostscript\\): no installed Ghostscript"
  FAIL_REGULAR_EXPRESSION "exit code"
  TIMEOUT 120)
set_property(GLOBAL APPEND PROPERTY FOLIMAR_WINDOWS_TESTS folimarc_without_ghostscript)
