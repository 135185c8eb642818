# Window-free slideshow logic: picture size and place, background colour from
# the edge pixels, overlay text; and the saver's core, which runs the show
# through a view interface. Included by saver/CMakeLists.txt.
add_library(slidora_saver_logic STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Layout.cpp ${CMAKE_CURRENT_LIST_DIR}/Layout.h
  ${CMAKE_CURRENT_LIST_DIR}/Background.cpp ${CMAKE_CURRENT_LIST_DIR}/Background.h
  ${CMAKE_CURRENT_LIST_DIR}/Overlay.cpp ${CMAKE_CURRENT_LIST_DIR}/Overlay.h)
slidora_include_root(slidora_saver_logic saver ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(slidora_saver_logic PUBLIC slidora_platform_core)

add_library(slidora_saver_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Catalogue.cpp ${CMAKE_CURRENT_LIST_DIR}/Catalogue.h
  ${CMAKE_CURRENT_LIST_DIR}/SaverCore.cpp ${CMAKE_CURRENT_LIST_DIR}/SaverCore.h
  ${CMAKE_CURRENT_LIST_DIR}/PreparedPicture.cpp ${CMAKE_CURRENT_LIST_DIR}/PreparedPicture.h
  ${CMAKE_CURRENT_LIST_DIR}/PicturePreparer.cpp ${CMAKE_CURRENT_LIST_DIR}/PicturePreparer.h
  ${CMAKE_CURRENT_LIST_DIR}/SaverServices.h ${CMAKE_CURRENT_LIST_DIR}/SaverView.h)
find_package(Threads REQUIRED)
target_link_libraries(slidora_saver_core PUBLIC
  slidora_saver_logic slidora_picture slidora_resize_bridge slidora_settings slidora_platform_core
  Threads::Threads PRIVATE slidora_platform_posix ${SLIDORA_COLLATION})
