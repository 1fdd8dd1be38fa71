# Cross toolchain for the 64-bit Windows build, built from the same sources.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(RERIDU_MINGW_TRIPLET x86_64-w64-mingw32)
set(RERIDU_WINE_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
