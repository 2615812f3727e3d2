# What a frame costs besides its passes: the GL calls it issues and the heap
# allocations it makes, counted through a layer around the GL, and the
# scripted replay's last frame against a reference picture.
find_package(glfw3 REQUIRED)

# The GL entry points the demo's libraries import, for the test that keeps
# the counting layer complete.
set(demo_gl_imports ${CMAKE_CURRENT_BINARY_DIR}/frame_budget_demo_gl_imports.txt)
add_custom_command(
  OUTPUT ${demo_gl_imports}
  COMMAND sh -c "'${CMAKE_NM}' --undefined-only --format=just-symbols \"$0\" \"$1\" | grep -E '^(__glew[A-Z]|gl[A-Z])' | sort -u > '${demo_gl_imports}'"
          $<TARGET_FILE:vanteel_render> $<TARGET_FILE:vanteel_frame_step>
  DEPENDS vanteel_render vanteel_frame_step
  VERBATIM)
add_custom_target(frame_budget_demo_gl_imports DEPENDS ${demo_gl_imports})

vanteel_test(frame_budget_tests LABEL gl
  gl_fixture.cpp
  frame_budget_gl_calls.cpp
  frame_budget_frame_test.cpp
)
add_dependencies(frame_budget_tests frame_budget_demo_gl_imports)
target_link_libraries(frame_budget_tests PRIVATE
  vanteel_demo vanteel_frame_step vanteel_input vanteel_effect_directory vanteel_thread_allocation_counting
  glfw GTest::gmock)
# GL 1.1 entry points are linked directly, not through GLEW: the linker
# sends them through the counting layer.
target_link_options(frame_budget_tests PRIVATE
  "LINKER:--wrap=glBindTexture,--wrap=glClear,--wrap=glClearColor,--wrap=glDisable,--wrap=glDrawArrays"
  "LINKER:--wrap=glDrawElements,--wrap=glEnable,--wrap=glGenTextures,--wrap=glGetError,--wrap=glGetIntegerv"
  "LINKER:--wrap=glGetString,--wrap=glPixelStorei,--wrap=glReadBuffer,--wrap=glReadPixels"
  "LINKER:--wrap=glTexImage2D,--wrap=glTexParameteri")
target_compile_definitions(frame_budget_tests PRIVATE VANTEEL_DEMO_GL_IMPORTS="${demo_gl_imports}")

# The replay runs through the host's own start-up and main loop, so it is run
# as an executable of its own on a private X server, like the end-to-end cases.
vanteel_python_test(frame_budget.replay_ends_on_the_reference_picture
                    ${CMAKE_CURRENT_SOURCE_DIR}/frame_budget_replay_test.py
                    $<TARGET_FILE:frame_replay> ${PROJECT_SOURCE_DIR}/assets/Shaders.glsl
                    ${CMAKE_CURRENT_SOURCE_DIR}/frame_budget_replay_reference.png ${CMAKE_CURRENT_BINARY_DIR})
set_tests_properties(frame_budget.replay_ends_on_the_reference_picture PROPERTIES TIMEOUT 300 LABELS gl)

vanteel_test(frame_budget_report_test frame_budget_report_test.cpp ${PROJECT_SOURCE_DIR}/bench/frame_benchmark_report.cpp)
target_include_directories(frame_budget_report_test PRIVATE ${PROJECT_SOURCE_DIR}/bench)
