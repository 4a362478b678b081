# Checks of the Windows build only: the Ghostscript DLL loader against a stand-in DLL, the
# resources as Windows reads them, folimarc's report when no Ghostscript can be found, its UTF-8
# arguments, and the DLLs the programs import.

# folimar_windows_check(name command...): a command run by CTest in the test prefix.
function(folimar_windows_check name)
  add_test(NAME ${name} COMMAND ${ARGN})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "${FOLIMAR_TEST_ENV}"
    FIXTURES_REQUIRED wineprefix
    TIMEOUT 600)
endfunction()

# The stand-in gsdll64.dll and its test program share a folder of their own, so no other test
# program finds the stand-in beside it.
add_library(fake_gsdll SHARED fake_gsdll.cpp)
set_target_properties(fake_gsdll PROPERTIES OUTPUT_NAME gsdll64 PREFIX "")
folimar_test(gs_dll_load_test gs_dll_load_test.cpp)
add_dependencies(gs_dll_load_test fake_gsdll)
set_target_properties(fake_gsdll gs_dll_load_test PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/gsdll)

# Read from the programs' files (a Winelib program is a Linux library that Windows' resource
# calls cannot open from outside).
folimar_test(resources_test resources_test.cpp)
target_link_libraries(resources_test PRIVATE version)
target_include_directories(resources_test PRIVATE ${CMAKE_BINARY_DIR})
add_dependencies(resources_test folimar folimarc)

# Without a DLL beside it or an installed Ghostscript, folimarc exits 1 and says where it looked.
# (No ";" in the command or the pattern: CMake would split them into lists there.)
folimar_windows_check(folimarc_without_ghostscript
  sh -c "\"$0\" \"$1\" \"$2\" \"$3\" && echo 'exit code 0, not 1' || [ $? -eq 1 ] || echo 'exit code not 1'"
  ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:folimarc> Z:${CMAKE_SOURCE_DIR}/examples/sample.ps
  Z:${CMAKE_CURRENT_BINARY_DIR}/without-ghostscript.pdf)
set_tests_properties(folimarc_without_ghostscript PROPERTIES
  PASS_REGULAR_EXPRESSION "folimarc: Ghostscript was not found; looked in: [A-Z]:.*\\\\gsdll64\\.dll. the registry \\(HKEY_LOCAL_MACHINE\\\\SOFTWARE\\\\GPL Ghostscript, HKEY_LOCAL_MACHINE\\\\SOFTWARE\\\\Artifex Ghostscript\\): no installed Ghostscript"
  FAIL_REGULAR_EXPRESSION "exit code")

# The manifest's UTF-8 code page reaches the MinGW program: a path outside code page 1252 comes
# through exactly (else it would be the look-alike "Omega..." or be refused as such), and a device
# name in it is refused before Ghostscript is looked for.
folimar_windows_check(folimarc_utf8_arguments
  ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:folimarc> Z:${CMAKE_SOURCE_DIR}/examples/sample.ps
  "Z:\\tmp\\Ωmega日本\\COM1.pdf")
set_tests_properties(folimarc_utf8_arguments PROPERTIES
  PASS_REGULAR_EXPRESSION "folimarc: \"Z:\\\\tmp\\\\Ωmega日本\\\\COM1\\.pdf\" is the name of a Windows device, not of a file")

# The console converter imports no window or shell DLL: loading them costs more than a small job's render.
folimar_windows_check(folimarc_imports
  sh -c "\"$0\" -p \"$1\" | grep 'DLL Name' | tr A-Z a-z" ${CMAKE_OBJDUMP} $<TARGET_FILE:folimarc>)
set_tests_properties(folimarc_imports PROPERTIES
  PASS_REGULAR_EXPRESSION "kernel32\\.dll"
  FAIL_REGULAR_EXPRESSION "(user32|gdi32|shell32|comctl32|comdlg32|ole32)\\.dll")

# 64-bit programs that import nothing but Windows' own DLLs: no MinGW runtime beside them.
folimar_windows_check(windows_programs_imports
  ${CMAKE_CURRENT_SOURCE_DIR}/check_pe_imports.sh ${CMAKE_OBJDUMP} $<TARGET_FILE:folimar> $<TARGET_FILE:folimarc>)
