# Cross-build for 64-bit Windows with Debian's mingw-w64 (posix threads),
# run under wine:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DVELTRANO_QT=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)

# Headers and libraries of the target only; programs of the host.
# GoogleTest is built for the target from Debian's sources into a prefix of
# its own (scripts/test-windows passes -DGTest_DIR); the header-only CLI11
# and nlohmann-json are taken from the host by src/CMakeLists.txt.
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static: a dynamically linked program cannot find libstdc++, libgcc or
# libwinpthread under wine or on a machine without mingw.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# M_PI and the other math constants of <cmath>, which strict C++ hides.
add_compile_definitions(_USE_MATH_DEFINES)

find_program(VELTRANO_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(VELTRANO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VELTRANO_WINE})
endif()
