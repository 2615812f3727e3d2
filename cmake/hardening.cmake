# Debian's hardening for the Linux build, as dpkg-buildflags gives it for the
# distribution's own packages: fortified libc calls, the stack protector,
# format-string checks, and relocations resolved at start-up and then made
# read-only (full RELRO with bind-now). The build type keeps its own
# optimisation and debug information.
find_program(VANTEEL_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT VANTEEL_DPKG_BUILDFLAGS)
  message(STATUS "No dpkg-buildflags: building without Debian's hardening flags")
  return()
endif()

function(vanteel_debian_flags variable result)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                          ${VANTEEL_DPKG_BUILDFLAGS} --get ${variable}
                  OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  # -O and -g are the build type's; the prefix map would name the folder configure ran in.
  list(FILTER flags EXCLUDE REGEX "^-(O|g|ffile-prefix-map=)")
  set(${result} ${flags} PARENT_SCOPE)
endfunction()

vanteel_debian_flags(CPPFLAGS vanteel_cppflags)
vanteel_debian_flags(CFLAGS vanteel_cflags)
vanteel_debian_flags(CXXFLAGS vanteel_cxxflags)
vanteel_debian_flags(LDFLAGS vanteel_ldflags)
# _FORTIFY_SOURCE takes effect only in optimised code, and glibc warns of it
# without optimisation: a Debug build goes without.
list(TRANSFORM vanteel_cppflags PREPEND "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:")
list(TRANSFORM vanteel_cppflags APPEND ">")
list(TRANSFORM vanteel_cflags PREPEND "$<$<COMPILE_LANGUAGE:C>:")
list(TRANSFORM vanteel_cflags APPEND ">")
list(TRANSFORM vanteel_cxxflags PREPEND "$<$<COMPILE_LANGUAGE:CXX>:")
list(TRANSFORM vanteel_cxxflags APPEND ">")
add_compile_options(${vanteel_cppflags} ${vanteel_cflags} ${vanteel_cxxflags})
add_link_options(${vanteel_ldflags})
