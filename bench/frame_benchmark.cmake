# The scripted replay, which the golden-image test runs, and the frame
# benchmark (run by ./dev bench, never by the tests) with its in-process
# per-pass measurement. Each is built at the top of the build folder, like
# the demo, so that run from there "../assets/" is the repository's.
function(vanteel_bench_executable name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE vanteel_glfw_host vanteel_demo)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endfunction()

vanteel_bench_executable(frame_replay ${CMAKE_CURRENT_LIST_DIR}/frame_replay.cpp)

if(VANTEEL_BUILD_BENCH)
  vanteel_bench_executable(frame_passes
    ${CMAKE_CURRENT_LIST_DIR}/frame_passes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/pass_timer.cpp)

  add_executable(frame_benchmark
    ${CMAKE_CURRENT_LIST_DIR}/frame_benchmark_main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frame_benchmark_spawn.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frame_benchmark_report.cpp)
  target_include_directories(frame_benchmark PRIVATE ${CMAKE_CURRENT_LIST_DIR})
  target_include_directories(frame_benchmark SYSTEM PRIVATE ${CMAKE_BINARY_DIR}/third_party)
  # It runs these two; building it builds them.
  add_dependencies(frame_benchmark vanteel frame_passes)
  target_compile_definitions(frame_benchmark PRIVATE
    VANTEEL_EXECUTABLE="$<TARGET_FILE:vanteel>"
    VANTEEL_PASSES_EXECUTABLE="$<TARGET_FILE:frame_passes>"
    VANTEEL_ASSETS_DIR="${PROJECT_SOURCE_DIR}/assets"
    VANTEEL_FLOOR_EFFECT="${CMAKE_CURRENT_LIST_DIR}/floor_shaders.glsl"
    VANTEEL_BENCH_JSON="${CMAKE_BINARY_DIR}/bench.json")
  set_target_properties(frame_benchmark PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endif()
