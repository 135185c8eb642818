# The saver window on Qt: draws for the core and hands it the window's input.
add_library(slidora_saver STATIC
  ${CMAKE_CURRENT_LIST_DIR}/SaverWindow.cpp ${CMAKE_CURRENT_LIST_DIR}/SaverWindow.h)
target_link_libraries(slidora_saver PUBLIC slidora_saver_core slidora_platform_qt Qt6::Widgets
  PRIVATE slidora_platform_posix)
