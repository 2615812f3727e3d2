# Every build stops when a folder includes a layer it may not use
# (tools/check_layers.py says which may use which).
find_program(VANTEEL_SYSTEM_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
set(vanteel_layers_stamp ${CMAKE_BINARY_DIR}/layers.stamp)
file(GLOB_RECURSE vanteel_layered_sources CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/shell/*.cpp ${PROJECT_SOURCE_DIR}/shell/*.h
  ${PROJECT_SOURCE_DIR}/demo/*.cpp ${PROJECT_SOURCE_DIR}/demo/*.h
  ${PROJECT_SOURCE_DIR}/shaderstore/*.cpp ${PROJECT_SOURCE_DIR}/shaderstore/*.h)
add_custom_command(
  OUTPUT ${vanteel_layers_stamp}
  COMMAND ${VANTEEL_SYSTEM_PYTHON} ${PROJECT_SOURCE_DIR}/tools/check_layers.py ${PROJECT_SOURCE_DIR} ${vanteel_layers_stamp}
  DEPENDS ${PROJECT_SOURCE_DIR}/tools/check_layers.py ${vanteel_layered_sources}
  VERBATIM)
add_custom_target(layers ALL DEPENDS ${vanteel_layers_stamp})
