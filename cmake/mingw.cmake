# The part of the MinGW-w64 cross builds that both Windows architectures
# share; cmake/mingw-i686.cmake and cmake/mingw-x86_64.cmake name the
# processor and include it. Tests run under Wine.
#
#   cmake -S . -B build-windows-x86 -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DVANTEEL_WINDOWS_DEPS=<prefix>
#
# VANTEEL_WINDOWS_DEPS is where tools/windows-deps.sh installed GLEW and
# GoogleTest built with this same compiler.

set(CMAKE_SYSTEM_NAME Windows)

set(toolchain_prefix ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
# The POSIX thread model: GoogleTest needs std::mutex, which the win32 model
# of this compiler lacks.
set(CMAKE_C_COMPILER ${toolchain_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${toolchain_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${toolchain_prefix}-windres)

# Static runtime and threads: the executables need no MinGW DLLs next to them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")

set(CMAKE_FIND_ROOT_PATH /usr/${toolchain_prefix} ${VANTEEL_WINDOWS_DEPS})
# Host programs (wine, xdotool) come from the build machine; headers,
# libraries and package configurations never do, or a Linux GLEW would be
# picked up.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test discovery and ctest run the .exe files through this wrapper, which
# picks the Wine of the executable's architecture, keeps Wine's prefix inside
# the build folder and its chatter quiet.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh)
