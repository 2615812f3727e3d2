# Run by CPack after the install into its staging folder and before the .deb
# is made: dpkg-shlibdeps, which CPack starts in that folder, reads
# debian/shlibs.local before any library's own files. GLEW's symbols file
# gives every symbol the version of Debian's last rebuild of the package
# (2.2.0-4+b1), which no other distribution's GLEW 2.2 reaches though they all
# carry the same ABI; its shlibs file names the release, 2.2.0, and that is
# the dependency kept here.
file(WRITE "${CPACK_TEMPORARY_DIRECTORY}/debian/shlibs.local" "libGLEW 2.2 libglew2.2 (>= 2.2.0)\n")
