# The Win32 host's suites, run under Wine when cross-built.

# The window procedure alone: the suite hands it a recording mouse handler.
vanteel_test(win32_window_procedure_test LABEL windows win32_window_procedure_test.cpp
  ${PROJECT_SOURCE_DIR}/shell/win32/win32_window_procedure.cpp)
target_include_directories(win32_window_procedure_test PRIVATE ${PROJECT_SOURCE_DIR})

# Real windows of the host's class, which the window tests look up: one
# test at a time on the shared display. The pixel-format search is internal
# to the host.
add_executable(win32_window_test win32_window_test.cpp)
target_link_libraries(win32_window_test PRIVATE vanteel_win32_host GTest::gtest_main)
gtest_discover_tests(win32_window_test DISCOVERY_MODE PRE_TEST PROPERTIES RESOURCE_LOCK windows_desktop LABELS windows)

# Reads another process's window the way a user's tools would see it.
add_executable(win32_window_probe win32_window_probe.cpp)

# The demo with multisampling on, which only the tests' own start-up asks for.
add_executable(vanteel_multisampling WIN32 multisampling_main.cpp ${PROJECT_SOURCE_DIR}/shell/run/start_from_command_line.cpp)
target_link_libraries(vanteel_multisampling PRIVATE vanteel_win32_host vanteel_demo)

# The real executable under Wine, each case on a private X server, driven
# from outside. The cases share one Wine prefix, so they take turns.
set(windows_driver ${CMAKE_CURRENT_SOURCE_DIR}/e2e/drive_windows_demo.py)
set(real_effect_file ${PROJECT_SOURCE_DIR}/assets/Shaders.glsl)
set(probe_effect_file ${CMAKE_CURRENT_SOURCE_DIR}/e2e/probe_shaders.glsl)

function(vanteel_windows_end_to_end_test case executable)
  vanteel_python_test(windows_end_to_end.${case} ${windows_driver} ${case} $<TARGET_FILE:${executable}>
                      $<TARGET_FILE:win32_window_probe> ${ARGN})
  set_tests_properties(windows_end_to_end.${case} PROPERTIES
    TIMEOUT 180 RESOURCE_LOCK windows_end_to_end LABELS windows)
endfunction()

vanteel_windows_end_to_end_test(startup vanteel ${real_effect_file})
vanteel_windows_end_to_end_test(input vanteel ${probe_effect_file})
vanteel_windows_end_to_end_test(close-by-task-bar vanteel ${probe_effect_file})
vanteel_windows_end_to_end_test(close-by-window-manager vanteel ${probe_effect_file})
vanteel_windows_end_to_end_test(alt-f4 vanteel ${probe_effect_file})
vanteel_windows_end_to_end_test(missing-effect vanteel)
vanteel_windows_end_to_end_test(multisampling vanteel_multisampling ${real_effect_file})

# The command line: answers in the console and on the debugger channel, and
# runs that end by themselves with their files written.
foreach(case command-line screenshot benchmark assets)
  vanteel_windows_end_to_end_test(${case} vanteel ${real_effect_file})
endforeach()
