# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix thread model, so std::thread
# works). The third-party libraries come from the cache scripts/build-windows fills:
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake [-DVEILMARK_DEPS_PREFIX=...] ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VEILMARK_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VEILMARK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEILMARK_MINGW_TRIPLE}-g++-posix)
# CMake derives binutils names from the compiler name, which the -posix suffix defeats; the host's
# ar/ranlib cannot index PE objects.
find_program(CMAKE_AR ${VEILMARK_MINGW_TRIPLE}-ar REQUIRED)
find_program(CMAKE_RANLIB ${VEILMARK_MINGW_TRIPLE}-ranlib REQUIRED)
find_program(CMAKE_RC_COMPILER ${VEILMARK_MINGW_TRIPLE}-windres REQUIRED)
find_program(CMAKE_STRIP ${VEILMARK_MINGW_TRIPLE}-strip)
find_program(CMAKE_NM ${VEILMARK_MINGW_TRIPLE}-nm)
find_program(CMAKE_OBJDUMP ${VEILMARK_MINGW_TRIPLE}-objdump)

if(NOT VEILMARK_DEPS_PREFIX)
  if(DEFINED ENV{VEILMARK_DEPS_CACHE})
    set(VEILMARK_DEPS_PREFIX "$ENV{VEILMARK_DEPS_CACHE}/prefix")
  else()
    set(VEILMARK_DEPS_PREFIX "$ENV{HOME}/.cache/veilmark/windows-deps/prefix")
  endif()
endif()
set(VEILMARK_DEPS_PREFIX "${VEILMARK_DEPS_PREFIX}" CACHE PATH "Cross-built third-party libraries")
# try_compile projects re-read this file; hand them the prefix.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VEILMARK_DEPS_PREFIX)

set(CMAKE_FIND_ROOT_PATH "${VEILMARK_DEPS_PREFIX}" /usr/${VEILMARK_MINGW_TRIPLE})
set(CMAKE_PREFIX_PATH "${VEILMARK_DEPS_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Prefer the static archives: the programs ship as single executables.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a .lib)

# pkg-config (Crypto++, libtiff) must see only the target's modules, never the build machine's.
set(ENV{PKG_CONFIG_LIBDIR} "${VEILMARK_DEPS_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
# wx-config of the cross-built MSW libraries; the one on PATH describes the host's GTK build.
set(wxWidgets_CONFIG_EXECUTABLE "${VEILMARK_DEPS_PREFIX}/bin/wx-config" CACHE FILEPATH "")

# No MinGW runtime DLLs to ship: link libgcc, libstdc++ and winpthread statically.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# Tests and tools run under Wine when CMake needs to execute a target program.
find_program(VEILMARK_WINE wine)
if(VEILMARK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${VEILMARK_WINE}")
endif()
# Listing a test program's cases means starting Wine; do it when ctest runs, not after every link.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
