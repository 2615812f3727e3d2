# ./dev itself, on a copy of the tree with planted faults. Once is enough: the
# sanitized build would only repeat it.
if(VANTEEL_SANITIZE)
  return()
endif()

vanteel_python_test(dev_script.build_failures ${CMAKE_CURRENT_SOURCE_DIR}/dev_build_failures.py ${PROJECT_SOURCE_DIR})
# The copy's compiles take both cores, which the demo runs need to themselves.
set_tests_properties(dev_script.build_failures PROPERTIES
  TIMEOUT 600 SKIP_RETURN_CODE 77 RESOURCE_LOCK vanteel_demo_run LABELS dev_script)

vanteel_python_test(dev_script.wine_choice ${CMAKE_CURRENT_SOURCE_DIR}/dev_wine_choice.py ${PROJECT_SOURCE_DIR})
set_tests_properties(dev_script.wine_choice PROPERTIES LABELS dev_script)
