# The GL parts of the demo against a real context (Mesa's llvmpipe under Xvfb
# when there is no display), each case on a legacy and a core context.
find_package(glfw3 REQUIRED)

vanteel_test(gl_tests LABEL gl
  gl_fixture.cpp
  gl_surfaces_test.cpp
  gl_programs_test.cpp
  gl_frame_test.cpp
  debug_capture.cpp
)
target_link_libraries(gl_tests PRIVATE
  vanteel_render vanteel_shaderstore vanteel_diagnostics vanteel_effect_directory glfw GTest::gmock)
target_compile_definitions(gl_tests PRIVATE VANTEEL_ASSETS_DIR="${PROJECT_SOURCE_DIR}/assets")
