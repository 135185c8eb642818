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
# The next picture prepared ahead: the hand-over with a fake preparer, and the
# threaded preparer on real files through the real module.
slidora_add_test(saver_preparer_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/preparer_test.cpp ${CMAKE_CURRENT_LIST_DIR}/SaverFixture.h
  LIBS slidora_saver_core slidora_picwriter slidora_test_support)
target_compile_definitions(saver_preparer_test PRIVATE SLIDORA_RESIZE32_PATH="$<TARGET_FILE:resize32>")
add_dependencies(saver_preparer_test resize32)
slidora_add_test(saver_guest_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/saver_guest_test.cpp ${CMAKE_CURRENT_LIST_DIR}/SaverFixture.h
  LIBS slidora_saver_core slidora_test_support)
