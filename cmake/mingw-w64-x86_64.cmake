# Cross build for 64-bit Windows with Debian's mingw-w64 compilers. The posix
# thread model is the one whose libstdc++ has std::mutex and std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZELK_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${ZELK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZELK_MINGW_TRIPLET}-windres)

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZELK_MINGW_PREFIX)
# ZELK_MINGW_PREFIX is where scripts/windows/build-deps installed the libraries.
set(CMAKE_FIND_ROOT_PATH /usr/${ZELK_MINGW_TRIPLET} ${ZELK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
if(ZELK_MINGW_PREFIX)
  set(ENV{PKG_CONFIG_LIBDIR} "${ZELK_MINGW_PREFIX}/lib/pkgconfig")
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
endif()
