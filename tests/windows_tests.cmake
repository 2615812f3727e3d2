# The Win32 host's suites, run under Wine when cross-built.

# The window procedure alone: the suite supplies its own mouse handler.
vanteel_test(win32_window_procedure_test win32_window_procedure_test.cpp
  ${PROJECT_SOURCE_DIR}/shell/win32_window_procedure.cpp)
target_include_directories(win32_window_procedure_test PRIVATE
  ${PROJECT_SOURCE_DIR}/shell ${PROJECT_SOURCE_DIR}/demo)

# Real windows of the host's class: they take turns on the desktop with the
# end-to-end cases below, which look windows of that class up.
add_executable(win32_window_test win32_window_test.cpp)
target_link_libraries(win32_window_test PRIVATE vanteel_win32_host GTest::gtest_main)
gtest_discover_tests(win32_window_test DISCOVERY_MODE PRE_TEST PROPERTIES RESOURCE_LOCK windows_desktop)

# Reads another process's window the way a user's tools would see it.
add_executable(win32_window_probe win32_window_probe.cpp)

# The real executable under Wine, driven through the X server. The cases
# share one desktop, so they take turns.
foreach(case version window drag escape close alt-f4 missing-effect multisampling)
  add_test(NAME windows_end_to_end.${case}
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows_end_to_end.sh ${case}
      $<TARGET_FILE:vanteel> $<TARGET_FILE:vanteel_multisampling> $<TARGET_FILE:win32_window_probe>)
  set_tests_properties(windows_end_to_end.${case} PROPERTIES RESOURCE_LOCK windows_desktop TIMEOUT 120)
endforeach()
