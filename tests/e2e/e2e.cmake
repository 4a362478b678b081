# End-to-end tests: shell scripts that drive the real programs from outside, under Xvfb.
# They get a Wine prefix of their own and run one at a time: a Wine prefix has one desktop, and
# it uses the display of the process that started it, so a test program without a display
# running beside them in the same prefix would leave their windows without one.

set(FOLIMAR_E2E_PREFIX ${CMAKE_BINARY_DIR}/e2e-wineprefix)
set(FOLIMAR_E2E_DIR ${CMAKE_CURRENT_LIST_DIR})
# The test environment with the later WINEPREFIX taking the place of the first (quoted, so the
# escaped ";" of WINEDLLOVERRIDES stays one entry).
set(FOLIMAR_E2E_ENV "${FOLIMAR_TEST_ENV};WINEPREFIX=${FOLIMAR_E2E_PREFIX}")

add_test(NAME e2e_wineprefix_setup COMMAND ${FOLIMAR_E2E_DIR}/fresh-prefix.sh ${FOLIMAR_E2E_PREFIX})
set_tests_properties(e2e_wineprefix_setup PROPERTIES FIXTURES_SETUP e2e_wineprefix TIMEOUT 300)

# folimar_e2e_test(name script): runs tests/e2e/<script> under an X server of its own. The scripts
# bound each of their waits; the test's time limit only catches a hang, and a busy 2-core machine
# runs the longest of them for more than ten minutes.
function(folimar_e2e_test name script)
  add_test(NAME ${name} COMMAND xvfb-run -a -s "-screen 0 1024x768x24" ${FOLIMAR_E2E_DIR}/${script})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "${FOLIMAR_E2E_ENV}"
    FIXTURES_REQUIRED e2e_wineprefix
    RESOURCE_LOCK e2e_wineprefix
    TIMEOUT 1800)
endfunction()

folimar_e2e_test(e2e_main_windows main_windows.sh)
folimar_e2e_test(e2e_virtual_printer virtual_printer.sh)
folimar_e2e_test(e2e_single_job single_job.sh)
folimar_e2e_test(e2e_single_job_names single_job_names.sh)
folimar_e2e_test(e2e_single_job_autosave single_job_autosave.sh)
folimar_e2e_test(e2e_high_dpi high_dpi.sh)
folimar_e2e_test(e2e_single_job_keyboard single_job_keyboard.sh)
folimar_e2e_test(e2e_batch_window batch_window.sh)
folimar_e2e_test(e2e_batch_run batch_run.sh)
folimar_e2e_test(e2e_batch_convert batch_convert.sh)
folimar_e2e_test(e2e_batch_report batch_report.sh)
folimar_e2e_test(e2e_print_programs print_programs.sh)

# The settings dialog on its own, over an owner of the test's own.
add_executable(setup_host ${FOLIMAR_E2E_DIR}/setup_host.cpp)
target_link_libraries(setup_host PRIVATE folimar_dialogs)
folimar_subsystem(setup_host console)
folimar_resources(setup_host folimar.rc)
folimar_e2e_test(e2e_settings_dialog settings_dialog.sh)

# The batch pipeline without the window, over a host of the tests' own.
add_executable(batch_host ${FOLIMAR_E2E_DIR}/batch_host.cpp)
target_link_libraries(batch_host PRIVATE folimar_core)
add_dependencies(batch_host converter_beside_tests)
folimar_subsystem(batch_host console)
# With the program's manifest: its arguments reach it in UTF-8, names outside code page 1252 too.
folimar_resources(batch_host folimarc.rc)
folimar_e2e_test(e2e_batch_pipeline batch_pipeline.sh)
folimar_e2e_test(e2e_batch_print batch_print.sh)
folimar_e2e_test(e2e_batch_profile batch_profile.sh)
folimar_e2e_test(e2e_batch_disks batch_disks.sh)
