# The browser host and the page it runs in. Everything a static file server
# needs lands in site/ of the build folder:
#
#   index.html               the page (web_page.html)
#   vanteel.js, vanteel.wasm the demo
#   assets/Shaders.glsl      the WebGL2 effect file, which the page fetches:
#                            the desktop's with the browser's sections after it
add_library(vanteel_web_host STATIC run_host.cpp web_host.cpp web_input.cpp)
target_link_libraries(vanteel_web_host PUBLIC vanteel_frame_step vanteel_input)
target_include_directories(vanteel_web_host PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/internal/web_host)

set(vanteel_site ${CMAKE_BINARY_DIR}/site)
add_executable(vanteel web_main.cpp ${vanteel_start_up})
target_link_libraries(vanteel PRIVATE vanteel_web_host vanteel_demo)
set_target_properties(vanteel PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${vanteel_site})
# The particle buffers alone take 40 MB. The page puts the effect file into
# the in-memory file system before the demo starts (FS and the run
# dependencies), and the host calls back into the page (EM_JS).
target_link_options(vanteel PRIVATE
  -sALLOW_MEMORY_GROWTH=1
  -sEXPORTED_RUNTIME_METHODS=FS,addRunDependency,removeRunDependency)
configure_file(web_page.html ${vanteel_site}/index.html COPYONLY)
# The desktop effect file with the browser's own sections after it, which
# the store prefers to the desktop's of the same name.
set(vanteel_effect_parts ${PROJECT_SOURCE_DIR}/assets/Shaders.glsl ${PROJECT_SOURCE_DIR}/assets/Shaders.web.glsl)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${vanteel_effect_parts})
file(READ ${PROJECT_SOURCE_DIR}/assets/Shaders.glsl vanteel_desktop_effect)
file(READ ${PROJECT_SOURCE_DIR}/assets/Shaders.web.glsl vanteel_web_sections)
file(WRITE ${vanteel_site}/assets/Shaders.glsl "${vanteel_desktop_effect}${vanteel_web_sections}")

# The download (./dev package): vanteel-<version>-web.zip unpacks into one
# folder that any static file server can serve as it is, with the texts of
# the desktop packages beside the page.
install(DIRECTORY ${vanteel_site}/ DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/docs/screenshot.png DESTINATION docs)
install(FILES ${PROJECT_SOURCE_DIR}/licenses/THIRD-PARTY-web.txt DESTINATION . RENAME THIRD-PARTY.txt)
install(FILES ${PROJECT_SOURCE_DIR}/licenses/nlohmann-json.txt ${PROJECT_SOURCE_DIR}/licenses/stb_image_write.txt
              ${PROJECT_SOURCE_DIR}/licenses/xxhash.txt
              ${PROJECT_SOURCE_DIR}/licenses/emscripten.txt ${PROJECT_SOURCE_DIR}/licenses/musl.txt
              ${PROJECT_SOURCE_DIR}/licenses/libcxx.txt
        DESTINATION licenses)
set(CPACK_PACKAGE_NAME vanteel)
set(CPACK_PACKAGE_VENDOR "The Vanteel developers")
set(CPACK_PACKAGE_FILE_NAME vanteel-${PROJECT_VERSION}-web)
set(CPACK_GENERATOR ZIP)
include(CPack)
