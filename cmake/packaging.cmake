# What `cmake --install` lays out and CPack packs for download:
#
#   vanteel-<version>-<platform>/
#     bin/vanteel[.exe]      from any folder it finds ../assets/ beside itself
#     assets/Shaders.glsl
#     README.md, docs/screenshot.png, LICENSE, THIRD-PARTY.txt
#     licenses/              the notices of what is compiled or linked in
#
# That is the Windows builds' layout, and on Linux the one of
# VANTEEL_PORTABLE_LAYOUT (the package-linux preset). Otherwise a Linux build
# installs into the system's folders (cmake/packaging_deb.cmake), which CPack
# packs as a .deb.
#
# Only the demo is installed: no test, benchmark or fuzzer. Packages are made
# for the Windows and Linux desktop hosts.
if(NOT TARGET vanteel OR NOT (WIN32 OR CMAKE_SYSTEM_NAME STREQUAL "Linux"))
  return()
endif()

option(VANTEEL_PORTABLE_LAYOUT "Linux: install into one folder for download (bin/, assets/, the texts at its top) and pack a .tar.gz, instead of the system's folders and a .deb" OFF)
if(NOT WIN32 AND NOT VANTEEL_PORTABLE_LAYOUT)
  include(${CMAKE_CURRENT_LIST_DIR}/packaging_deb.cmake)
  return()
endif()

install(TARGETS vanteel RUNTIME DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/assets/Shaders.glsl DESTINATION assets)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
# The picture README.md shows.
install(FILES ${PROJECT_SOURCE_DIR}/docs/screenshot.png DESTINATION docs)

set(vanteel_licenses ${PROJECT_SOURCE_DIR}/licenses)
set(vanteel_notices stb_image_write.txt nlohmann-json.txt xxhash.txt)
if(WIN32)
  # GLEW and the MinGW runtime are linked into the .exe; on Linux they are
  # the system's shared libraries.
  list(APPEND vanteel_notices GLEW.txt mingw-w64.txt gcc-runtime.txt)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(vanteel_platform windows-x86)
  else()
    set(vanteel_platform windows-x64)
  endif()
  install(FILES ${vanteel_licenses}/THIRD-PARTY-windows.txt DESTINATION . RENAME THIRD-PARTY.txt)
  set(CPACK_GENERATOR ZIP)
else()
  string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" vanteel_platform)
  install(FILES ${vanteel_licenses}/THIRD-PARTY-linux.txt DESTINATION . RENAME THIRD-PARTY.txt)
  set(CPACK_GENERATOR TGZ)
endif()
list(TRANSFORM vanteel_notices PREPEND ${vanteel_licenses}/)
install(FILES ${vanteel_notices} DESTINATION licenses)

# The archive and its one top folder carry the version and the platform.
set(CPACK_PACKAGE_FILE_NAME vanteel-${PROJECT_VERSION}-${vanteel_platform})
set(CPACK_STRIP_FILES ON)
include(CPack)
