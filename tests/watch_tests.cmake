# Rebuilding the shaders when the effect file is saved: noticing the save
# needs no window; the rest is the real executable, watched from outside.
vanteel_test(effect_watch_test effect_watch_test.cpp)
target_link_libraries(effect_watch_test PRIVATE vanteel_host_logic vanteel_effect_directory)

if(VANTEEL_BUILD_GL AND NOT WIN32)
  vanteel_python_test(end_to_end.watch ${CMAKE_CURRENT_SOURCE_DIR}/e2e/drive_watch.py
                      $<TARGET_FILE:vanteel> ${PROJECT_SOURCE_DIR}/assets/Shaders.glsl)
  # Alone, as the other runs of the real executable: llvmpipe takes every core.
  set_tests_properties(end_to_end.watch PROPERTIES TIMEOUT 180 RESOURCE_LOCK vanteel_demo_run LABELS end_to_end)
endif()
