# ./dev itself, on a copy of the tree with planted faults. Once is enough: the
# sanitized build would only repeat it.
if(VANTEEL_SANITIZE)
  return()
endif()

find_program(VANTEEL_SYSTEM_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
add_test(NAME dev_script.build_failures
         COMMAND ${VANTEEL_SYSTEM_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/dev_build_failures.py ${PROJECT_SOURCE_DIR})
# The copy's compiles take both cores, which the demo runs need to themselves.
set_tests_properties(dev_script.build_failures PROPERTIES
  TIMEOUT 600 SKIP_RETURN_CODE 77 RESOURCE_LOCK vanteel_demo_run)
