# The frame benchmark (run by ./dev bench, never by the tests) and the
# scripted replay it shares with the golden-image test.
find_package(PNG REQUIRED)
find_package(glfw3 3.3 REQUIRED)

add_library(vanteel_frame_replay STATIC
  ${CMAKE_CURRENT_LIST_DIR}/frame_benchmark_replay.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frame_benchmark_png.cpp)
target_include_directories(vanteel_frame_replay PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(vanteel_frame_replay PUBLIC vanteel_frame_step vanteel_input vanteel_render PNG::PNG)

if(VANTEEL_BUILD_BENCH)
  # Built at the top of the build folder, like the demo, so that its replay
  # run from there finds "../assets/".
  add_executable(frame_benchmark
    ${CMAKE_CURRENT_LIST_DIR}/frame_benchmark_main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frame_benchmark_child.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frame_benchmark_pass_timer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frame_benchmark_report.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frame_benchmark_replay_window.cpp)
  target_link_libraries(frame_benchmark PRIVATE vanteel_frame_replay vanteel_glfw_host vanteel_diagnostics)
  target_compile_definitions(frame_benchmark PRIVATE
    VANTEEL_ASSETS_DIR="${PROJECT_SOURCE_DIR}/assets"
    VANTEEL_FLOOR_EFFECT="${CMAKE_CURRENT_LIST_DIR}/floor_shaders.glsl"
    VANTEEL_BENCH_JSON="${CMAKE_BINARY_DIR}/bench.json")
  set_target_properties(frame_benchmark PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endif()
