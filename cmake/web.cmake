# The browser build (Emscripten). OpenGL there is WebGL2, and GLEW's entry
# points come with Emscripten's GL library, so the find_package calls of the
# GL parts are answered here rather than by a search of the system.
file(WRITE ${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/opengl-config.cmake [[
if(NOT TARGET OpenGL::GL)
  add_library(OpenGL::GL INTERFACE IMPORTED)
  set_target_properties(OpenGL::GL PROPERTIES
    INTERFACE_LINK_OPTIONS "-sMIN_WEBGL_VERSION=2;-sMAX_WEBGL_VERSION=2")
endif()
]])
file(WRITE ${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/glew-config.cmake [[
if(NOT TARGET GLEW::GLEW)
  add_library(GLEW::GLEW INTERFACE IMPORTED)
endif()
]])

# The page's tests run in a real browser, not through GoogleTest.
enable_testing()
include(${PROJECT_SOURCE_DIR}/tests/web/browser_tests.cmake)
