# Cross toolchain for the shipped 32-bit Windows build.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(RERIDU_MINGW_TRIPLET i686-w64-mingw32)
set(RERIDU_WINE_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)

# x87 registers keep intermediate results in 80 bits, so a double computed on
# i686 could round differently from the same expression on x86_64: all
# floating point goes through SSE2 instead, as on x86_64.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
