# Window-free slideshow logic: layout, background colour, overlay text; and the
# saver's core against a recording view, without a toolkit.
slidora_add_test(saver_logic_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/layout_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/background_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/overlay_test.cpp
  LIBS slidora_saver_logic slidora_test_support)
slidora_add_test(saver_core_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/saver_core_test.cpp ${CMAKE_CURRENT_LIST_DIR}/SaverFixture.h
  LIBS slidora_saver_core slidora_test_support)
