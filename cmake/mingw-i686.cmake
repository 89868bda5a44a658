# Cross build of the 32-bit Windows DLL (the product) with Debian's mingw-w64, posix threads
# (std::mutex needs them). Used by the mingw-i686 preset and scripts/build-windows;
# mingw-x86_64.cmake reuses it for the 64-bit build that runs under Wine.
if(NOT DEFINED VEMO_MINGW_ARCH)
  set(VEMO_MINGW_ARCH i686)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${VEMO_MINGW_ARCH})

set(VEMO_MINGW_TRIPLE ${VEMO_MINGW_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${VEMO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEMO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VEMO_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VEMO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
