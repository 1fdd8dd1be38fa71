# Shared by the two mingw-w64 toolchain files, which set RERIDU_MINGW_TRIPLET.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model: GoogleTest needs std::mutex, which the win32 model of GCC 12 lacks.
set(CMAKE_C_COMPILER   ${RERIDU_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RERIDU_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${RERIDU_MINGW_TRIPLET}-windres)
set(CMAKE_OBJDUMP      ${RERIDU_MINGW_TRIPLET}-objdump)
set(CMAKE_OBJCOPY      ${RERIDU_MINGW_TRIPLET}-objcopy)

set(CMAKE_FIND_ROOT_PATH /usr/${RERIDU_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every Windows program (tests included) runs through Wine, in a prefix of the
# build tree's own made for the build's architecture.
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run --arch ${RERIDU_WINE_ARCH} --prefix ${CMAKE_BINARY_DIR}/wineprefix)
