# Cross toolchain for the 64-bit Windows build, the one Wine runs here.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(RERIDU_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)

# Every Windows program (tests included) runs through Wine with the build tree's own prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run --prefix ${CMAKE_BINARY_DIR}/wineprefix)
