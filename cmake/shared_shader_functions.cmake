# The store gives a section no way to use another's code, so the effect files
# hold copies of some GLSL functions: the browser's Particle.VS those of the
# desktop's, Particle.VS the lifetime of tf.VS, and the frame benchmark's
# floor the birth layout of tf.VS. Every build stops when a copy drifts from
# the others.
find_program(VANTEEL_SYSTEM_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
set(vanteel_shared_functions_check ${PROJECT_SOURCE_DIR}/tools/check_shared_shader_functions.py)
set(vanteel_shared_functions_stamp ${CMAKE_BINARY_DIR}/shared_shader_functions.stamp)
set(vanteel_desktop_effect ${PROJECT_SOURCE_DIR}/assets/Shaders.glsl)
set(vanteel_web_effect ${PROJECT_SOURCE_DIR}/assets/Shaders.web.glsl)
set(vanteel_floor_effect ${PROJECT_SOURCE_DIR}/bench/floor_shaders.glsl)
add_custom_command(
  OUTPUT ${vanteel_shared_functions_stamp}
  COMMAND ${VANTEEL_SYSTEM_PYTHON} ${vanteel_shared_functions_check} ${vanteel_shared_functions_stamp}
          ${vanteel_desktop_effect}:tf.VS ${vanteel_desktop_effect}:Particle.VS ${vanteel_web_effect}:Particle.VS
          --copies ${vanteel_floor_effect}:tf.VS
  DEPENDS ${vanteel_shared_functions_check} ${vanteel_desktop_effect} ${vanteel_web_effect} ${vanteel_floor_effect}
  VERBATIM)
add_custom_target(shared_shader_functions ALL DEPENDS ${vanteel_shared_functions_stamp})
