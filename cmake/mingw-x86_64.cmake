# Cross build of the 64-bit Windows DLL, the one the Wine test host loads: the same settings as
# the 32-bit product build, for the x86_64 mingw-w64 compilers.
set(VEMO_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
