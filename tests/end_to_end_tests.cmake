# The host: mouse translation alone, then window, context and frame step on
# a display, then the real executable driven from outside.

vanteel_test(host_mouse_input_test host_mouse_input_test.cpp)
target_link_libraries(host_mouse_input_test PRIVATE vanteel_input)

# The host alone: the test hands it a demo of recorders, and checks the
# window and the loss of the display through the host's internal headers.
vanteel_test(host_window_test LABEL gl host_window_test.cpp debug_capture.cpp)
target_link_libraries(host_window_test PRIVATE vanteel_glfw_host)

# The demo on a core-profile context, which only the tests' own start-up asks for.
add_executable(vanteel_core_profile core_profile_main.cpp ${PROJECT_SOURCE_DIR}/shell/run/start_from_command_line.cpp)
target_link_libraries(vanteel_core_profile PRIVATE vanteel_glfw_host vanteel_demo)

set(driver ${CMAKE_CURRENT_SOURCE_DIR}/e2e/drive_demo.py)
set(real_effect_file ${PROJECT_SOURCE_DIR}/assets/Shaders.glsl)
set(probe_effect_file ${CMAKE_CURRENT_SOURCE_DIR}/e2e/probe_shaders.glsl)

function(vanteel_end_to_end_test name executable case)
  vanteel_python_test(end_to_end.${name} ${driver} ${case} $<TARGET_FILE:${executable}> ${ARGN})
  # Each case starts its own X server, but runs alone: the software renderer
  # already keeps every core busy, and the input checks wait on its frame rate.
  set_tests_properties(end_to_end.${name} PROPERTIES TIMEOUT 180 RESOURCE_LOCK vanteel_demo_run LABELS end_to_end)
endfunction()

vanteel_end_to_end_test(startup vanteel startup ${real_effect_file})
vanteel_end_to_end_test(input vanteel input ${probe_effect_file})
vanteel_end_to_end_test(close_by_window_manager vanteel close ${probe_effect_file})
vanteel_end_to_end_test(window_destroyed vanteel destroy ${probe_effect_file})
vanteel_end_to_end_test(escape_mid_benchmark vanteel escape-mid-benchmark ${probe_effect_file})
vanteel_end_to_end_test(missing_effect_file vanteel missing-effect)
vanteel_end_to_end_test(no_display vanteel no-display)
vanteel_end_to_end_test(core_profile_startup vanteel_core_profile startup ${real_effect_file})
vanteel_end_to_end_test(core_profile_input vanteel_core_profile input ${probe_effect_file})

# The command line: what each option makes the demo do, seen from outside.
set(options_driver ${CMAKE_CURRENT_SOURCE_DIR}/e2e/drive_options.py)
foreach(case usage screenshot fixed-step benchmark assets)
  vanteel_python_test(end_to_end.options_${case} ${options_driver} ${case} $<TARGET_FILE:vanteel> ${real_effect_file})
  set_tests_properties(end_to_end.options_${case} PROPERTIES
    TIMEOUT 300 RESOURCE_LOCK vanteel_demo_run LABELS end_to_end)
endforeach()
