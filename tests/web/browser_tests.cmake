# The page in a real browser: headless Chromium, driven through
# playwright-core, which ./dev installs into node_modules/ of the build folder.
find_program(VANTEEL_NODE node REQUIRED)
set(vanteel_page_driver ${CMAKE_CURRENT_LIST_DIR}/drive_page.js)
foreach(case desktop input phone-input phone missing-effect effect-lines options editor editor-lines phone-editor)
  add_test(NAME web.${case}
           COMMAND ${VANTEEL_NODE} ${vanteel_page_driver} ${case} ${CMAKE_BINARY_DIR}/site)
  # One browser at a time: the software renderer keeps both cores busy, and
  # the checks wait on its frame rate.
  set_tests_properties(web.${case} PROPERTIES
    TIMEOUT 600 RESOURCE_LOCK vanteel_browser LABELS web
    ENVIRONMENT NODE_PATH=${CMAKE_BINARY_DIR}/node_modules)
endforeach()
