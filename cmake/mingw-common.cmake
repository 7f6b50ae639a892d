# Shared by both MinGW toolchain files; expects TORVA_MINGW_TRIPLE.
set(CMAKE_C_COMPILER ${TORVA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TORVA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TORVA_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TORVA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Test executables and discovery run through wine64; the script supplies the prefix and display.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh)
