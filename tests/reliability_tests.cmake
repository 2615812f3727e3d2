# The real executable against damaged effect files, hostile surroundings and
# long storms of input, each run on a private X server. A build under the
# sanitizers runs only the drag that the sanitizers watch; the rest would
# repeat what the plain build already showed, more slowly.

set(reliability_effect_file ${PROJECT_SOURCE_DIR}/assets/Shaders.glsl)

function(vanteel_reliability_test name timeout)
  vanteel_python_test(reliability.${name} ${ARGN})
  # Runs alone, as the end-to-end cases do: the software renderer takes every core.
  set_tests_properties(reliability.${name} PROPERTIES
    TIMEOUT ${timeout} SKIP_RETURN_CODE 77 RESOURCE_LOCK vanteel_demo_run LABELS reliability)
endfunction()

set(demo_driver ${CMAKE_CURRENT_SOURCE_DIR}/reliability_demo.py)
set(soak_driver ${CMAKE_CURRENT_SOURCE_DIR}/reliability_soak.py)

if(VANTEEL_SANITIZE)
  # Preloaded by ./dev into every sanitized run, so it is built without the
  # sanitizers that it loads ahead of.
  add_library(reliability_keep_libraries MODULE reliability_keep_libraries.cpp)
  target_compile_options(reliability_keep_libraries PRIVATE -fno-sanitize=all)
  target_link_options(reliability_keep_libraries PRIVATE -fno-sanitize=all)

  # A few hundred frames with the mouse handler busy; leaks are checked at exit.
  vanteel_reliability_test(sanitized_drag 600
    ${soak_driver} drag 200 $<TARGET_FILE:vanteel> ${reliability_effect_file})
  # The same settings ./dev gives every sanitized suite, so that the case also
  # runs alone from this folder.
  set_property(TEST reliability.sanitized_drag APPEND PROPERTY ENVIRONMENT
    "ASAN_OPTIONS=intercept_tls_get_addr=0:verify_asan_link_order=0;LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/reliability_leak_suppressions.txt:print_suppressions=0;LD_PRELOAD=$<TARGET_FILE:reliability_keep_libraries>")
  return()
endif()

foreach(case empty directory unreadable garbage nul-in-section carriage-returns large-file missing-section
             compile-error link-error high-bytes shaders-beside odd-path display-nowhere)
  vanteel_reliability_test(${case} 180 ${demo_driver} ${case} $<TARGET_FILE:vanteel> ${reliability_effect_file})
endforeach()

# The short soak; `./dev soak` runs the long one. Alone: with other suites
# taking the cores, the demo falls behind the input storm and the events
# queued for it read as growth of its memory.
vanteel_reliability_test(soak 240 ${soak_driver} soak 60 $<TARGET_FILE:vanteel> ${reliability_effect_file})
set_tests_properties(reliability.soak PROPERTIES RUN_SERIAL TRUE)
