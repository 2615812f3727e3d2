#!/usr/bin/env bash
# Fetches and cross-builds the libraries of a Windows build:
#   tools/windows-deps.sh <directory> i686|x86_64
# GLEW comes from the source of the distribution's `glew` package, fetched once
# into <directory> with a private apt configuration (no system file is
# changed); GoogleTest from the sources of the installed `googletest` package.
# Both are built with the MinGW compiler of the processor named and installed
# into <directory>/<processor>/prefix. Runs again cheaply: finished steps leave
# a stamp.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
[ $# -eq 2 ] && [[ "$2" =~ ^(i686|x86_64)$ ]] || { echo "usage: $0 <directory> i686|x86_64" >&2; exit 2; }
mkdir -p "$1/$2"
work=$(cd "$1" && pwd)
processor=$2
built=$work/$processor
prefix=$built/prefix
toolchain=$root/cmake/mingw-$processor.cmake
jobs=2

say() { printf 'windows-deps: %s\n' "$*"; }

# Runs a noisy step quietly, showing its output only when it fails.
quietly() {
  local log=$built/last-step.log
  "$@" >"$log" 2>&1 || { tail -n 40 "$log" >&2; die "failed: $*"; }
}
die() { printf 'windows-deps: %s\n' "$*" >&2; exit 1; }

# Turns the machine's own binary package sources into source package entries,
# in both the deb822 and the one-line formats; no host name is written down.
write_source_entries() {
  local sources_dir=$1
  local file
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    awk '
      /^[ \t]*#/ { next }
      /^Types:/ { print "Types: deb-src"; next }
      { print }
    ' "$file" >"$sources_dir/$(basename "$file")"
  done
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] || continue
    sed -n 's/^[ \t]*deb[ \t]/deb-src /p' "$file" >"$sources_dir/$(basename "$file")"
  done
}

apt_private() {
  local apt=$work/apt
  apt-get -q=2 \
    -o Dir::Etc::sourcelist=/dev/null \
    -o Dir::Etc::sourceparts="$apt/sources" \
    -o Dir::State::lists="$apt/lists" \
    -o Dir::Cache="$apt/cache" \
    -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache= \
    -o APT::Sandbox::User=root \
    "$@"
}

fetch_glew_source() {
  [ -f "$work/glew-source.stamp" ] && return 0
  say "fetching the glew source package"
  local apt=$work/apt
  rm -rf "$apt" "$work/glew-source"
  mkdir -p "$apt/sources" "$apt/lists/partial" "$apt/cache/archives/partial" "$work/glew-source"
  write_source_entries "$apt/sources"
  apt_private update || die "could not read the source package indexes"
  (cd "$work/glew-source" && apt_private source glew >/dev/null) || die "could not fetch the glew sources"
  touch "$work/glew-source.stamp"
}

# GLEW is one generated C file and its headers; compiling it directly avoids
# its own build scripts, which want Perl and the Khronos registry.
build_glew() {
  [ -f "$built/glew.stamp" ] && return 0
  local source
  source=$(find "$work/glew-source" -mindepth 1 -maxdepth 1 -type d -name 'glew-*' | head -n 1)
  [ -f "$source/src/glew.c" ] || die "no src/glew.c in the glew sources"
  say "building GLEW for $processor"
  mkdir -p "$prefix/include/GL" "$prefix/lib/cmake/GLEW" "$built/glew-build"
  quietly "$processor-w64-mingw32-gcc-posix" -O2 -DGLEW_STATIC -DGLEW_NO_GLU -I"$source/include" \
    -c "$source/src/glew.c" -o "$built/glew-build/glew.o"
  "$processor-w64-mingw32-ar" rcs "$prefix/lib/libglew32s.a" "$built/glew-build/glew.o"
  cp "$source"/include/GL/{glew.h,wglew.h} "$prefix/include/GL/"
  # A package configuration, so find_package(GLEW) yields GLEW::GLEW with the
  # static-linking definition its headers need.
  cat >"$prefix/lib/cmake/GLEW/GLEWConfig.cmake" <<'EOF'
get_filename_component(glew_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
if(NOT TARGET GLEW::GLEW)
  add_library(GLEW::GLEW STATIC IMPORTED)
  set_target_properties(GLEW::GLEW PROPERTIES
    IMPORTED_LOCATION "${glew_prefix}/lib/libglew32s.a"
    IMPORTED_LOCATION_RELEASE "${glew_prefix}/lib/libglew32s.a"
    IMPORTED_IMPLIB_RELEASE "${glew_prefix}/lib/libglew32s.a"
    INTERFACE_INCLUDE_DIRECTORIES "${glew_prefix}/include"
    INTERFACE_COMPILE_DEFINITIONS "GLEW_STATIC;GLEW_NO_GLU"
    INTERFACE_LINK_LIBRARIES "opengl32")
  set_property(TARGET GLEW::GLEW PROPERTY IMPORTED_CONFIGURATIONS RELEASE)
endif()
set(GLEW_FOUND TRUE)
set(GLEW_CONFIG "${CMAKE_CURRENT_LIST_FILE}")
EOF
  touch "$built/glew.stamp"
}

build_googletest() {
  [ -f "$built/googletest.stamp" ] && return 0
  [ -f /usr/src/googletest/CMakeLists.txt ] || die "the googletest package is not installed"
  say "building GoogleTest for $processor"
  quietly cmake -S /usr/src/googletest -B "$built/googletest-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -Dgtest_disable_pthreads=ON
  quietly cmake --build "$built/googletest-build" -j "$jobs"
  quietly cmake --install "$built/googletest-build"
  touch "$built/googletest.stamp"
}

fetch_glew_source
build_glew
build_googletest
