# Cross-compiling for Windows with mingw-w64.
# BLINKWATCH_MINGW_ARCH picks the target:
#   i686   - 32-bit Windows: the shipped executable, and the Wine tests where the
#            machine runs 32-bit programs
#   x86_64 - 64-bit Windows: the same sources, for 64-bit Wine on machines
#            that cannot run 32-bit programs
# BLINKWATCH_MINGW_THREADS picks the compilers' thread model:
#   win32 - the shipped executable (no winpthread, so it still loads on Windows 2000)
#   posix - the Wine test executables (GoogleTest needs std::thread and friends)
set(CMAKE_SYSTEM_NAME Windows)

if(NOT BLINKWATCH_MINGW_ARCH)
  set(BLINKWATCH_MINGW_ARCH i686)
endif()
if(NOT BLINKWATCH_MINGW_THREADS)
  set(BLINKWATCH_MINGW_THREADS win32)
endif()
set(BLINKWATCH_MINGW_ARCH "${BLINKWATCH_MINGW_ARCH}" CACHE STRING "mingw-w64 target: i686 or x86_64")
set(BLINKWATCH_MINGW_THREADS "${BLINKWATCH_MINGW_THREADS}" CACHE STRING "mingw-w64 thread model: win32 or posix")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES BLINKWATCH_MINGW_ARCH BLINKWATCH_MINGW_THREADS)
set(CMAKE_SYSTEM_PROCESSOR ${BLINKWATCH_MINGW_ARCH})

set(_triple ${BLINKWATCH_MINGW_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER   ${_triple}-gcc-${BLINKWATCH_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${_triple}-g++-${BLINKWATCH_MINGW_THREADS})
set(CMAKE_RC_COMPILER  ${_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
