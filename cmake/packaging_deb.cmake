# A Linux build's install into the system's folders (GNUInstallDirs), and the
# Debian package of it, from a build with CMAKE_INSTALL_PREFIX /usr (the
# package-deb preset):
#
#   /usr/bin/vanteel                    found on the PATH; from any folder it finds
#   /usr/share/vanteel/Shaders.glsl     its effect file here (VANTEEL_DATA_DIR)
#   /usr/share/applications/vanteel.desktop
#   /usr/share/icons/hicolor/<size>/apps/vanteel.png, scalable/apps/vanteel.svg
#   /usr/share/doc/vanteel/             copyright, README.md, THIRD-PARTY.txt, licenses/
#
# Its dependencies are what dpkg-shlibdeps finds the program linked against.
set(vanteel_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/vanteel)
set(vanteel_icons ${PROJECT_SOURCE_DIR}/assets/icon)

install(TARGETS vanteel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/assets/Shaders.glsl DESTINATION ${VANTEEL_DATA_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/shell/glfw/vanteel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${vanteel_icons}/vanteel-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME vanteel.png)
endforeach()
install(FILES ${vanteel_icons}/vanteel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${vanteel_doc_dir} RENAME copyright)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${vanteel_doc_dir})
install(FILES ${PROJECT_SOURCE_DIR}/licenses/THIRD-PARTY-linux.txt DESTINATION ${vanteel_doc_dir} RENAME THIRD-PARTY.txt)
install(FILES ${PROJECT_SOURCE_DIR}/licenses/stb_image_write.txt ${PROJECT_SOURCE_DIR}/licenses/nlohmann-json.txt
              ${PROJECT_SOURCE_DIR}/licenses/xxhash.txt DESTINATION ${vanteel_doc_dir}/licenses)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vanteel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time GPU particle demo")
set(CPACK_PACKAGE_DESCRIPTION "700,000 particles simulated on the graphics processor by OpenGL \
transform feedback, drawn as a blue spiral that follows the mouse. Needs OpenGL 3.2.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Vanteel developers <vanteel@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps (dpkg-dev) turns the libraries the program links into the Depends line.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/deb_shlibs_local.cmake)
# vanteel_<version>_<architecture>.deb, as Debian names its packages.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
include(CPack)
