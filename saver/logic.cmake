# Window-free slideshow logic: picture size and place, background colour from
# the edge pixels, overlay text. Included by saver/CMakeLists.txt.
add_library(slidora_saver_logic STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Layout.cpp ${CMAKE_CURRENT_LIST_DIR}/Layout.h
  ${CMAKE_CURRENT_LIST_DIR}/Background.cpp ${CMAKE_CURRENT_LIST_DIR}/Background.h
  ${CMAKE_CURRENT_LIST_DIR}/Overlay.cpp ${CMAKE_CURRENT_LIST_DIR}/Overlay.h)
target_link_libraries(slidora_saver_logic PUBLIC slidora_platform Qt6::Core)
