# End-to-end tests: the Windows build of W2KSetup.exe run under Wine against the
# sample disc. Each test is one scenario in a fresh Wine prefix with its own
# Xvfb display; they skip (exit code 77) only when Wine is not installed.
find_package(Python3 COMPONENTS Interpreter REQUIRED)

# The folders can be pointed elsewhere when configuring, e.g. for a second checkout.
set(E2E_BUILD_DIR ${CMAKE_SOURCE_DIR}/build CACHE PATH "Work folder root (prefixes go to e2e/)")
set(E2E_DISC_DIR ${CMAKE_SOURCE_DIR}/build/disc CACHE PATH "Sample disc")
set(E2E_WIN_BUILD ${CMAKE_SOURCE_DIR}/build/win32 CACHE PATH "32-bit Windows build")
set(E2E_WIN_BUILD64 ${CMAKE_SOURCE_DIR}/build/win64 CACHE PATH
  "64-bit Windows build, run where Wine cannot run 32-bit programs")
set(E2E_ENV
  BUILD_DIR=${E2E_BUILD_DIR}
  DISC_DIR=${E2E_DISC_DIR}
  WIN_BUILD=${E2E_WIN_BUILD}
  WIN_BUILD64=${E2E_WIN_BUILD64})

# e2e_test(<ctest name> <unittest id relative to tests/e2e>)
# How many run side by side is tools/run-e2e.sh's choice (ctest -j). The timeout
# leaves room for a test that Wine failed to run once more (the harness says so
# in its output).
function(e2e_test name id)
  set(env ${E2E_ENV} ${ARGN})
  add_test(NAME e2e.${name}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/e2e/harness.py run ${id}
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  set_tests_properties(e2e.${name} PROPERTIES
    LABELS e2e
    TIMEOUT 900
    SKIP_RETURN_CODE 77
    ENVIRONMENT "${env}")
endfunction()

# e2e_test_x86_64(<ctest name> <unittest id>): the same test on the 64-bit build,
# as e2e.x86_64.<name>. The others run the shipped 32-bit program.
macro(e2e_test_x86_64 name id)
  e2e_test(x86_64.${name} ${id} E2E_BITS=64)
endmacro()

# The 64-bit build: a path of each kind.
e2e_test_x86_64(startup.path_a.win98_ap test_startup.PathA.test_win98_ap)
e2e_test_x86_64(startup.path_b.tunestack_and_uninstaller
  test_startup.PathB.test_tunestack_closed_player_kept_uninstaller_waited)
e2e_test_x86_64(logon.replace_mixer
  test_logon.MixerReplacement.test_logon_run_swaps_and_starts_the_new_mixer_hidden)
e2e_test_x86_64(driver.driver_only test_driver.DriverOnly.test_driver_switch)
e2e_test_x86_64(options.defaults test_options_dialog.Install.test_defaults)
e2e_test_x86_64(main_dialog.only_driver test_main_dialog.DriverBranch.test_only_driver)

# The harness's own checks need no Wine.
add_test(NAME e2e.harness.parsers
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/e2e/harness.py run test_harness
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(e2e.harness.parsers PROPERTIES LABELS e2e TIMEOUT 60)
e2e_test(startup.path_a.win98_ap test_startup.PathA.test_win98_ap)
e2e_test(startup.path_a.win98_no_switch test_startup.PathA.test_win98_no_switch)
e2e_test(startup.path_a.win98_two_switches test_startup.PathA.test_win98_two_switches_are_no_switch)
e2e_test(startup.path_a.win98_ap_over_driver_only test_startup.PathA.test_win98_ap_wins_over_driver_only)
e2e_test(startup.path_a.winme_driver_only test_startup.PathA.test_winme_driver_only)
e2e_test(startup.path_a.nt40_lower_case_driver test_startup.PathA.test_nt40_driver_switch_in_lower_case)
e2e_test(startup.path_a.win98_folder_with_blanks test_startup.PathA.test_win98_folder_with_blanks)
e2e_test(startup.path_b.tunestack_and_uninstaller
  test_startup.PathB.test_tunestack_closed_player_kept_uninstaller_waited)
e2e_test(startup.path_b.players_without_tunestack test_startup.PathB.test_players_closed_without_tunestack)
e2e_test(startup.path_b.missing_suite_setup test_startup.PathB.test_missing_suite_setup)
e2e_test(startup.path_f.web_setup_does_nothing
  test_startup.PathF.test_web_setup_without_wdm_driver_does_nothing)
e2e_test(startup.run_value.web_setup_path test_startup.RunValue.test_deleted_on_web_setup_path)
e2e_test(startup.run_value.win98 test_startup.RunValue.test_deleted_before_hand_over_on_windows98)
e2e_test(logon.replace_mixer
  test_logon.MixerReplacement.test_logon_run_swaps_and_starts_the_new_mixer_hidden)
e2e_test(logon.missing_new_mixer test_logon.MixerReplacement.test_missing_new_mixer_goes_on_with_the_start_up)
e2e_test(defaults.first_cd_entry test_logon.Defaults.test_first_cd_entry_for_both_users_and_using_cdda_5)
e2e_test(defaults.last_entry_win98 test_logon.Defaults.test_last_entry_is_not_a_candidate_before_hand_over)
e2e_test(defaults.long_name_no_default_user
  test_logon.Defaults.test_long_name_whole_and_no_default_user_key_created)
e2e_test(driver.driver_only test_driver.DriverOnly.test_driver_switch)
e2e_test(driver.web_package test_driver.WebPackage.test_flat_package)
e2e_test(driver.refused_hand_over test_driver.RefusedHandOver.test_disc_without_inf)
e2e_test(driver.mixer_at_restart_win10 test_driver.MixerAtRestart.test_windows10)
e2e_test(removal.through_the_list
  test_removal.RemovalThroughTheList.test_install_list_remove_and_remove_again)
e2e_test(driver.mixer_at_restart_win7_twice
  test_driver.MixerAtRestart.test_windows7_installed_twice_before_the_restart)
e2e_test(options.defaults test_options_dialog.Install.test_defaults)
e2e_test(options.line_in_center_legacy_disabled
  test_options_dialog.Install.test_line_in_center_legacy_disabled)
e2e_test(options.microphone_alone
  test_options_dialog.Install.test_microphone_alone_after_a_sound_card_round_trip)
e2e_test(options.line_in_rear_and_microphone_legacy_disabled
  test_options_dialog.Install.test_line_in_rear_and_microphone_legacy_disabled)
e2e_test(options.sound_card test_options_dialog.Install.test_sound_card_with_marks_kept)
e2e_test(options.sound_card_legacy_disabled
  test_options_dialog.Install.test_sound_card_legacy_disabled)
e2e_test(options.cancel_and_close_box test_options_dialog.Cancel.test_cancel_and_close_box)
e2e_test(main_dialog.english test_main_dialog.Languages.test_english)
e2e_test(main_dialog.traditional_chinese test_main_dialog.Languages.test_traditional_chinese)
e2e_test(main_dialog.french test_main_dialog.Languages.test_french)
e2e_test(main_dialog.japanese test_main_dialog.Languages.test_japanese)
e2e_test(main_dialog.korean test_main_dialog.Languages.test_korean)
e2e_test(main_dialog.missing_suite_setup
  test_main_dialog.MissingSuiteSetup.test_ends_before_the_dialog_shows)
e2e_test(main_dialog.both_boxes test_main_dialog.SuiteBranch.test_both_boxes)
e2e_test(main_dialog.second_copy
  test_main_dialog.SecondCopy.test_says_setup_is_running_and_changes_nothing)
e2e_test(main_dialog.only_applications test_main_dialog.SuiteBranch.test_only_applications)
e2e_test(main_dialog.only_driver test_main_dialog.DriverBranch.test_only_driver)
e2e_test(main_dialog.about_box test_main_dialog.AboutBox.test_about_box_from_the_system_menu)
e2e_test(log.driver_run test_log.LogFile.test_driver_run_appends_its_steps_and_the_hand_over)
e2e_test(log.missing_folder test_log.LogFile.test_log_in_a_missing_folder_changes_nothing)
# Two driver runs, each with its own prefix and 35 s of fixed waiting.
set_tests_properties(e2e.log.missing_folder PROPERTIES TIMEOUT 1200 COST 100)

e2e_test(unattended.driver_quiet
  test_unattended.QuietRun.test_driver_switch_installs_without_a_window)
e2e_test(unattended.log_switch
  test_unattended.QuietRun.test_log_switch_wins_and_ends_with_the_exit_code)
e2e_test(unattended.before_windows_2000
  test_unattended.QuietRun.test_before_windows_2000_starts_nothing)

# Bad input only the real system shows (docs/BAD-INPUT.md).
e2e_test(bad_input.double_byte_folder
  test_bad_input.DoubleByteFolder.test_folder_ending_in_a_5c_trail_byte)
e2e_test(bad_input.longest_path test_bad_input.PathLimits.test_longest_program_path_runs)
e2e_test(bad_input.longer_paths test_bad_input.PathLimits.test_longer_paths)
e2e_test(bad_input.mixer_still_running test_bad_input.LockedFile.test_mixer_still_running_at_logon)

# The shipped program is a 32-bit GUI program importing only system DLLs that
# every target Windows version has.
add_test(NAME e2e.imports
  COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/check-imports.sh --expect-gui32
          ${E2E_WIN_BUILD}/W2KSetup.exe
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(e2e.imports PROPERTIES LABELS e2e TIMEOUT 60)

# The tests that go through a driver installation wait 35 s in the program: ctest
# starts them first (until its own timings of a first run exist), so that the
# short ones fill the time beside them rather than after them.
set_tests_properties(
  e2e.driver.driver_only e2e.driver.web_package e2e.log.driver_run e2e.main_dialog.only_driver
  e2e.driver.mixer_at_restart_win10 e2e.driver.mixer_at_restart_win7_twice
  e2e.removal.through_the_list
  e2e.options.defaults e2e.options.line_in_center_legacy_disabled e2e.options.microphone_alone
  e2e.options.line_in_rear_and_microphone_legacy_disabled e2e.options.sound_card
  e2e.options.sound_card_legacy_disabled e2e.options.cancel_and_close_box
  e2e.x86_64.driver.driver_only e2e.x86_64.options.defaults e2e.x86_64.main_dialog.only_driver
  e2e.unattended.driver_quiet e2e.unattended.log_switch
  PROPERTIES COST 50)
