# Cross toolchain for the shipped 32-bit Windows build. This machine cannot run
# 32-bit code, so no emulator is set: the i686 tests are static checks only.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(RERIDU_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
