# The saver window: set-up, clock, catalogue, display and ending.
add_library(slidora_saver STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Catalogue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SaverWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SaverShow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SaverWindow.h)
target_link_libraries(slidora_saver PUBLIC
  slidora_saver_logic slidora_picture slidora_resize_bridge slidora_settings slidora_platform_qt Qt6::Widgets)
