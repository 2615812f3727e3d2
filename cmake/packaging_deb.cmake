# A Linux build's install into the system's folders (GNUInstallDirs), and the
# Debian package of it, from a build with CMAKE_INSTALL_PREFIX /usr (the
# package-deb preset):
#
#   /usr/bin/vanteel                    found on the PATH; from any folder it finds
#   /usr/share/vanteel/Shaders.glsl     its effect file here (VANTEEL_DATA_DIR)
#   /usr/share/applications/vanteel.desktop
#   /usr/share/icons/hicolor/<size>/apps/vanteel.png, scalable/apps/vanteel.svg
#   /usr/share/doc/vanteel/             copyright, changelog.gz, README.md, THIRD-PARTY.txt, licenses/
#   /usr/share/man/man1/vanteel.1.gz    with VANTEEL_MANUAL_PAGE (the package-deb preset)
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

set(vanteel_summary "real-time GPU particle demo")
set(vanteel_deb_files ${PROJECT_BINARY_DIR}/deb)
file(MAKE_DIRECTORY ${vanteel_deb_files})
find_program(VANTEEL_GZIP gzip REQUIRED)

# The package is native (its version has no Debian revision), so its history
# is usr/share/doc/vanteel/changelog.gz, in Debian's format. Its top entry is
# the release being built.
set(vanteel_changelog ${CMAKE_CURRENT_LIST_DIR}/debian-changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${vanteel_changelog})
file(STRINGS ${vanteel_changelog} vanteel_latest_entry LIMIT_COUNT 1)
if(NOT vanteel_latest_entry MATCHES "^vanteel \\(([^)]*)\\) " OR NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "cmake/debian-changelog's top entry, \"${vanteel_latest_entry}\", is not version ${PROJECT_VERSION}")
endif()
add_custom_command(OUTPUT ${vanteel_deb_files}/changelog.gz
                   COMMAND ${CMAKE_COMMAND} -E copy ${vanteel_changelog} changelog
                   COMMAND ${VANTEEL_GZIP} -9nf changelog
                   DEPENDS ${vanteel_changelog} WORKING_DIRECTORY ${vanteel_deb_files} VERBATIM)
set(vanteel_deb_outputs ${vanteel_deb_files}/changelog.gz)
install(FILES ${vanteel_deb_files}/changelog.gz DESTINATION ${vanteel_doc_dir})

# The manual page is --help and --version as help2man sets them, made from
# the program just built so that the two always agree. Neither option opens
# a window, so this runs without a display.
option(VANTEEL_MANUAL_PAGE "Make and install the manual page with help2man from the program's --help" OFF)
if(VANTEEL_MANUAL_PAGE)
  find_program(VANTEEL_HELP2MAN help2man REQUIRED)
  # The command's own name: help2man would take "Vanteel" from --version.
  file(WRITE ${vanteel_deb_files}/name.h2m "[NAME]\nvanteel \\- ${vanteel_summary}\n")
  add_custom_command(OUTPUT ${vanteel_deb_files}/vanteel.1.gz
                     COMMAND ${VANTEEL_HELP2MAN} --no-info --section=1 --include=name.h2m --output=vanteel.1
                             $<TARGET_FILE:vanteel>
                     COMMAND ${VANTEEL_GZIP} -9nf vanteel.1
                     DEPENDS vanteel ${vanteel_deb_files}/name.h2m WORKING_DIRECTORY ${vanteel_deb_files} VERBATIM)
  list(APPEND vanteel_deb_outputs ${vanteel_deb_files}/vanteel.1.gz)
  install(FILES ${vanteel_deb_files}/vanteel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
add_custom_target(vanteel_deb_files ALL DEPENDS ${vanteel_deb_outputs})

install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${vanteel_doc_dir} RENAME copyright)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${vanteel_doc_dir})
install(FILES ${PROJECT_SOURCE_DIR}/licenses/THIRD-PARTY-linux.txt DESTINATION ${vanteel_doc_dir} RENAME THIRD-PARTY.txt)
install(FILES ${PROJECT_SOURCE_DIR}/licenses/stb_image_write.txt ${PROJECT_SOURCE_DIR}/licenses/nlohmann-json.txt
              ${PROJECT_SOURCE_DIR}/licenses/xxhash.txt DESTINATION ${vanteel_doc_dir}/licenses)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vanteel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${vanteel_summary})
# Lines of the extended description, which Debian keeps within 80 columns.
set(CPACK_PACKAGE_DESCRIPTION "Hundreds of thousands of particles simulated on the graphics processor by
OpenGL transform feedback, drawn as a blue spiral that follows the mouse.
Needs OpenGL 3.2.")
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
