# Cross-builds for 64-bit Windows (the build that runs under Wine on our machines).
set(SLIDORA_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
