# Cross-builds for 32-bit Windows (the target the program is made for).
set(SLIDORA_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
